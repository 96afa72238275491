#pragma once

#include "dates/zone.h"

#include <cstdint>

namespace orvane {

// Tells a step of the clock (someone set it: a simulated time, a restore, a person, time
// synchronisation) from time passing, by comparing the clock with the monotonic clock between
// two readings. Whatever is measured between two clock readings, such as the time a hold
// lasted, takes the steps out and so counts only the time that really passed.
class ClockSteps {
  public:
    // Starts from this reading.
    void reset(Instant now, std::int64_t monotonicMs);
    // The whole seconds the clock stepped since the last reading (negative: back), 0 when it
    // only ran.
    std::int64_t step(Instant now, std::int64_t monotonicMs);

  private:
    Instant m_now;
    std::int64_t m_monotonicMs = 0;
};

} // namespace orvane
