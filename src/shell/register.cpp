#include "shell/register.h"

#include "app.h"
#include "shell/frmAbout.h"
#include "shell/frmTechSupport.h"
#include "shell/frmTips.h"

namespace orvane {

void registerShellWindows(App& app) {
    app.registerForm<frmTips>("frmTips");
    app.registerForm<frmAbout>("frmAbout");
    app.registerForm<frmTechSupport>("frmTechSupport");
}

} // namespace orvane
