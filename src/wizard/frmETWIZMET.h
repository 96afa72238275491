#pragma once

// The wizard's mission time page: days, hours, minutes and seconds before or after liftoff.

#include "wizard/event_entry.h"

#include <cstdint>
#include <string>

namespace orvane {

class frmETWIZMET : public EventEntryPage {
  public:
    explicit frmETWIZMET(App& app);

    Label Label2{this, "Label2"};
    Frame fraFrame{this, "fraFrame"};
    Label lblPlusMinus{this, "lblPlusMinus"};
    Label Label3{this, "Label3"};
    Label Label4{this, "Label4"};
    Label Label5{this, "Label5"};
    Label Label6{this, "Label6"};
    TextBox txtDaysSim{this, "txtDaysSim"};
    ScrollBar vsbDaysSim{this, "vsbDaysSim"};
    TextBox txtHoursSim{this, "txtHoursSim"};
    ScrollBar vsbHoursSim{this, "vsbHoursSim"};
    TextBox txtMinutesSim{this, "txtMinutesSim"};
    ScrollBar vsbMinutesSim{this, "vsbMinutesSim"};
    TextBox txtSecondsSim{this, "txtSecondsSim"};
    ScrollBar vsbSecondsSim{this, "vsbSecondsSim"};
    Label Label7{this, "Label7"};
    Label Label8{this, "Label8"};
    Label Label9{this, "Label9"};
    Label Label10{this, "Label10"};

    // The whole mission time in seconds.
    static std::int64_t MissionSeconds(std::int64_t days, std::int64_t hours, std::int64_t minutes,
                                       std::int64_t seconds);
    // "-" before liftoff, "+" after it.
    std::string MissionSign() const;
    // The side of liftoff the event lies on, as the choice page passes it; the caption and
    // the frame's colour are written from it.
    void setAfterLiftoff(bool after);

  private:
    void enter() override;
    bool m_afterLiftoff = false; // the design caption says "T Minus"

};

} // namespace orvane
