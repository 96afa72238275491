#include "simtime/register.h"

#include "app.h"
#include "simtime/frmWizardPlusMinus.h"
#include "simtime/frmWizardTime.h"

namespace orvane {

void registerSimTimeWizard(App& app) {
    app.registerForm<frmWizardPlusMinus>("frmWizardPlusMinus");
    app.registerForm<frmWizardTime>("frmWizardTime");
}

} // namespace orvane
