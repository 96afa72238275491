#pragma once

// The Manual Sim Time Wizard's second page: the mission time to show, in days, hours,
// minutes and seconds before or after liftoff. Enter moves the clock there.

#include "simtime/sim_wizard_page.h"
#include "wizard/time_columns.h"

#include <cstdint>
#include <optional>

namespace orvane {

class CSimTime;

class frmWizardTime : public SimWizardPage {
  public:
    explicit frmWizardTime(App& app);

    Label Label1{this, "Label1"};
    MissionTimeEntry mission{this};
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
