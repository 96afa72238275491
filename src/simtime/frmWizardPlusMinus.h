#pragma once

// The Manual Sim Time Wizard's first page: is the mission time before or after liftoff.

#include "simtime/sim_wizard_page.h"

namespace orvane {

class frmWizardPlusMinus : public SimWizardPage {
  public:
    explicit frmWizardPlusMinus(App& app);

    Label Label1{this, "Label1"};
    Frame fraFrame{this, "fraFrame"};
    OptionButton optTMinus{this, "optTMinus"};
    OptionButton optTPlus{this, "optTPlus"};
    CommandButton cmdNext{this, "cmdNext"};
    CommandButton cmdCancel{this, "cmdCancel"};

  private:
    void paint(Color c);
    void next();
};

} // namespace orvane
