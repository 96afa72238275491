#pragma once

// The wizard's T page: is the event before or after liftoff.

#include "wizard/wizard_page.h"

namespace orvane {

class frmETWIZPlus : public WizardPage {
  public:
    explicit frmETWIZPlus(App& app);

    Label Label1{this, "Label1"};
    Frame fraFrame{this, "fraFrame"};
    OptionButton optTMinus{this, "optTMinus"};
    OptionButton optTPlus{this, "optTPlus"};
    CommandButton cmdBack{this, "cmdBack"};
    CommandButton cmdNext{this, "cmdNext"};
    CommandButton cmdCancel{this, "cmdCancel"};

  private:
    void paint(Color c);
    void next();
};

} // namespace orvane
