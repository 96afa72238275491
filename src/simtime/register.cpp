#include "simtime/register.h"

#include "app.h"
#include "simtime/frmWizardPlusMinus.h"
#include "simtime/frmWizardTime.h"

namespace orvane {

const std::array<LoadedPage, 2> SimWizardPages = {&loadedPage<frmWizardPlusMinus>,
                                                  &loadedPage<frmWizardTime>};

void registerSimTimeWizard(App& app) {
    app.registerForm<frmWizardPlusMinus>("frmWizardPlusMinus");
    app.registerForm<frmWizardTime>("frmWizardTime");
}

} // namespace orvane
