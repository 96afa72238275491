#pragma once

// The event timers window: ten event rows counting down to their moments and up after them.

#include "data/CTimeData.h"
#include "platform/controls.h"
#include "platform/form.h"

#include <array>
#include <memory>

namespace orvane {

class App;

class frmEventTimers : public Form {
  public:
    explicit frmEventTimers(App& app);

    // The one record of the ten events' definitions, made on first access.
    CTimeData& EventData();

    // Shows or hides this window (either window's command).
    void ToggleEventTimers();

    // The rows: event N's row is pctEvent(N) holding lblName(N), lblTime(N) and lblTag(N).
    std::array<PictureBox, 10> pctEvent = makeArray<PictureBox, 10>(this, "pctEvent");
    std::array<Label, 10> lblName = makeArray<Label, 10>(this, "lblName");
    std::array<Label, 10> lblTime = makeArray<Label, 10>(this, "lblTime");
    std::array<Label, 10> lblTag = makeArray<Label, 10>(this, "lblTag");

    Timer tmrCount{this, "tmrCount", 243, false};
    Timer tmrTPlusCount{this, "tmrTPlusCount", 251, true};
    Timer tmrActions{this, "tmrActions", 497, false};
    Timer tmrToolTips{this, "tmrToolTips", 5000, true};

  private:
    App& m_app;
    std::unique_ptr<CTimeData> m_eventData;
};

} // namespace orvane
