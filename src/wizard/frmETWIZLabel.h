#pragma once

// The wizard's second page: the event's name.

#include "wizard/wizard_page.h"

namespace orvane {

class frmETWIZLabel : public WizardPage {
  public:
    explicit frmETWIZLabel(App& app);

    Label Label1{this, "Label1"};
    TextBox txtName{this, "txtName"};
    CommandButton cmdBack{this, "cmdBack"};
    CommandButton cmdNext{this, "cmdNext"};
    CommandButton cmdCancel{this, "cmdCancel"};

  private:
    void next();
};

} // namespace orvane
