#pragma once

// The wizard's third page: the event's time as mission elapsed time or as a date and time.

#include "wizard/wizard_page.h"

namespace orvane {

class frmETWIZChoice : public WizardPage {
  public:
    explicit frmETWIZChoice(App& app);

    Label Label1{this, "Label1"};
    Frame Frame1{this, "Frame1"};
    OptionButton optMET{this, "optMET"};
    OptionButton optClock{this, "optClock"};
    CommandButton cmdBack{this, "cmdBack"};
    CommandButton cmdNext{this, "cmdNext"};
    CommandButton cmdCancel{this, "cmdCancel"};

  private:
    void next();
};

} // namespace orvane
