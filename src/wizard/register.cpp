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

const std::array<LoadedPage, 6> WizardPages = {
    &loadedPage<frmETWIZNumber>, &loadedPage<frmETWIZLabel>, &loadedPage<frmETWIZChoice>,
    &loadedPage<frmETWIZPlus>,   &loadedPage<frmETWIZMET>,   &loadedPage<frmETWIZDate>};

void registerEventWizard(App& app) {
    app.registerForm<frmETWIZNumber>("frmETWIZNumber");
    app.registerForm<frmETWIZLabel>("frmETWIZLabel");
    app.registerForm<frmETWIZChoice>("frmETWIZChoice");
    app.registerForm<frmETWIZPlus>("frmETWIZPlus");
    app.registerForm<frmETWIZMET>("frmETWIZMET");
    app.registerForm<frmETWIZDate>("frmETWIZDate");
    app.registerForm<frmRemoveEvent>("frmRemoveEvent");
    app.provide<frmETWIZNumber>(App::Dialog::EventWizard);
    app.provide<frmRemoveEvent>(App::Dialog::RemoveEvent);
}

} // namespace orvane
