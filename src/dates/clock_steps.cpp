#include "dates/clock_steps.h"

namespace orvane {

void ClockSteps::reset(Instant now, std::int64_t monotonicMs) {
    m_now = now;
    m_monotonicMs = monotonicMs;
}

std::int64_t ClockSteps::step(Instant now, std::int64_t monotonicMs) {
    const std::int64_t clockMs = secondsBetween(m_now, now) * 1000;
    const std::int64_t passedMs = monotonicMs - m_monotonicMs;
    reset(now, monotonicMs);
    // Read to the whole second, a clock that only runs seems up to a second ahead of or
    // behind the time that passed; anything beyond that is a step, rounded to whole seconds.
    const std::int64_t gapMs = clockMs - passedMs;
    if (gapMs > -1000 && gapMs < 1000)
        return 0;
    return (gapMs + (gapMs > 0 ? 500 : -500)) / 1000;
}

} // namespace orvane
