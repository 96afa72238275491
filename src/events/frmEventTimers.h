#pragma once

// The event timers window: ten event rows counting down to their moments and up after them.

#include "platform/controls.h"
#include "platform/form.h"

namespace orvane {

class App;

class frmEventTimers : public Form {
  public:
    explicit frmEventTimers(App& app);

    // Shows or hides this window (either window's command).
    void ToggleEventTimers();

    Timer tmrCount{this, "tmrCount", 243, false};
    Timer tmrTPlusCount{this, "tmrTPlusCount", 251, true};
    Timer tmrActions{this, "tmrActions", 497, false};
    Timer tmrToolTips{this, "tmrToolTips", 5000, true};

  private:
    App& m_app;
};

} // namespace orvane
