#include "dates/clock_steps.h"

#include <gtest/gtest.h>

namespace orvane {
namespace {

// Read to the whole second, a clock that only runs may seem up to a second ahead of or behind
// the monotonic clock; none of that is a step, and every real step is.
TEST(ClockStepsTest, TimePassingIsNoStep_ASetClockIs) {
    const Instant t0 = Instant::fromUnixSeconds(988884005);
    struct Case {
        const char* name;
        std::int64_t clockSeconds; // how far the clock moved
        std::int64_t passedMs;     // how much time passed meanwhile
        std::int64_t step;
    };
    const Case cases[] = {
        {"the second turns a moment after the reading", 1, 1, 0},
        {"the second has not turned yet", 0, 999, 0},
        {"ten seconds of running", 10, 9'400, 0},
        {"set twenty minutes ahead at once", 1200, 0, 1200},
        {"set back a quarter of an hour, 300 ms into a second", -900, 300, -900},
        {"set ahead while time passed", 3601, 1'200, 3600},
    };
    for (const Case& c : cases) {
        ClockSteps steps;
        steps.reset(t0, 50'000);
        EXPECT_EQ(steps.step(t0.addSeconds(c.clockSeconds), 50'000 + c.passedMs), c.step) << c.name;
    }
}

TEST(ClockStepsTest, EachStepIsCountedOnce) {
    const Instant t0 = Instant::fromUnixSeconds(988884005);
    ClockSteps steps;
    steps.reset(t0, 0);
    EXPECT_EQ(steps.step(t0.addSeconds(600), 10), 600);
    EXPECT_EQ(steps.step(t0.addSeconds(600), 20), 0);
    EXPECT_EQ(steps.step(t0.addSeconds(601), 1'000), 0);
}

} // namespace
} // namespace orvane
