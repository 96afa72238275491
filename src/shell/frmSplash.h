#pragma once

// The splash shown while the program starts: its progress bar is cosmetic.

#include "toolkit/controls.h"
#include "toolkit/form.h"

namespace orvane {

class App;

class frmSplash : public Form {
  public:
    explicit frmSplash(App& app);

    Frame Frame1{this, "Frame1"};
    Image imgLogo{this, "imgLogo", "logo"};
    Label lblProductName{this, "lblProductName"};
    Label lblVersion{this, "lblVersion"};
    Label lblPlatform{this, "lblPlatform"};
    Label lblDescription{this, "lblDescription"};
    Label lblLoadingData{this, "lblLoadingData"};
    ProgressBar ProgressBar1{this, "ProgressBar1"};
    Label lblSound{this, "lblSound"};
    Timer tmrSplash{this, "tmrSplash", 3000, true};
    Timer Timer1{this, "Timer1", 2500, false};

  private:
    void close();
    App& m_app;
};

} // namespace orvane
