#pragma once

// The wizard's mission time page: days, hours, minutes and seconds before or after liftoff.

#include "wizard/event_entry.h"
#include "wizard/time_columns.h"

#include <cstdint>
#include <string>

namespace orvane {

class frmETWIZMET : public EventEntryPage {
  public:
    explicit frmETWIZMET(App& app);

    Label Label2{this, "Label2"};
    MissionTimeEntry mission{this};

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
