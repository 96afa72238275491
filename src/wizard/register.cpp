#include "wizard/register.h"

#include "app.h"
#include "wizard/frmETWIZChoice.h"
#include "wizard/frmETWIZDate.h"
#include "wizard/frmETWIZLabel.h"
#include "wizard/frmETWIZMET.h"
#include "wizard/frmETWIZNumber.h"
#include "wizard/frmETWIZPlus.h"
#include "wizard/frmRemoveEvent.h"

namespace orvane {

void registerEventWizard(App& app) {
    app.registerForm<frmETWIZNumber>("frmETWIZNumber");
    app.registerForm<frmETWIZLabel>("frmETWIZLabel");
    app.registerForm<frmETWIZChoice>("frmETWIZChoice");
    app.registerForm<frmETWIZPlus>("frmETWIZPlus");
    app.registerForm<frmETWIZMET>("frmETWIZMET");
    app.registerForm<frmETWIZDate>("frmETWIZDate");
    app.registerForm<frmRemoveEvent>("frmRemoveEvent");
}

} // namespace orvane
