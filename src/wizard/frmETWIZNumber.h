#pragma once

// The wizard's first page: which of the ten events to (re)define.

#include "wizard/wizard_page.h"

#include <array>

namespace orvane {

class frmETWIZNumber : public WizardPage {
  public:
    explicit frmETWIZNumber(App& app);

    Label Label1{this, "Label1"};
    Frame Frame1{this, "Frame1"};
    std::array<OptionButton, 10> optNumber = makeArray<OptionButton, 10>(this, "optNumber");
    CommandButton cmdNext{this, "cmdNext"};
    CommandButton cmdCancel{this, "cmdCancel"};

  private:
    void next();
};

} // namespace orvane
