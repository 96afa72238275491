#pragma once

// The Manual Sim Time Wizard's second page: the mission time to show, in days, hours,
// minutes and seconds before or after liftoff. Enter moves the clock there.

#include "simtime/sim_wizard_page.h"

#include <cstdint>
#include <optional>

namespace orvane {

class CSimTime;

class frmWizardTime : public SimWizardPage {
  public:
    explicit frmWizardTime(App& app);

    Label Label1{this, "Label1"};
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
    CommandButton cmdBack{this, "cmdBack"};
    CommandButton cmdEnter{this, "cmdEnter"};
    CommandButton cmdCancel{this, "cmdCancel"};

    // Days x 86400 + Hours x 3600 + Minutes x 60 + Seconds, when it fits in 32 bits.
    static std::optional<std::int32_t> OffsetSeconds(const CSimTime& t);

  private:
    void layOut();
    void showEntries();
    void keepEntries();
    void Enter();
};

} // namespace orvane
