#pragma once

// The About box: what the program is, and its version.

#include "toolkit/controls.h"
#include "toolkit/form.h"

namespace orvane {

class App;

class frmAbout : public Form {
  public:
    explicit frmAbout(App& app);

    Frame Frame1{this, "Frame1"};
    Image imgLogo{this, "imgLogo", "logo"};
    Label lblProductName{this, "lblProductName"};
    Label lblInfo{this, "lblInfo"};
    CommandButton cmdOK{this, "cmdOK"};
};

} // namespace orvane
