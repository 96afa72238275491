#pragma once

// The wizard's date page: the event's calendar date and time of day.

#include "dates/datetime.h"
#include "toolkit/time_entry.h"
#include "wizard/event_entry.h"

#include <cstdint>
#include <string>

namespace orvane {

class frmETWIZDate : public EventEntryPage {
  public:
    explicit frmETWIZDate(App& app);

    Label Label1{this, "Label1"};
    orvane::Calendar Calendar{this, "Calendar"};
    TextBox txtDate{this, "txtDate"};
    Label lblMessage{this, "lblMessage"};
    TimeOfDayEntry time{this, "Label2", "Label3", "Label4"};
    Timer tmrMessage{this, "tmrMessage", 1500, false};

    // "-" when the launch time is later than the local time T, else "+".
    std::string DateSign(DateTime t) const;
    // Real seconds from the local time T to the launch time: positive when T is before the
    // launch.
    std::int64_t SecondsToLaunch(DateTime t) const;

  private:
    void enter() override;
};

} // namespace orvane
