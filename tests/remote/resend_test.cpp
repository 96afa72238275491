// When the remote displays hear from the program although nothing they show changed: pages
// measure their clock against every state, so a step of the clock, either way, and a minute
// of silence each send the state again.

#include "remote/remote_state.h"

#include <gtest/gtest.h>

namespace orvane {
namespace {

// The state went out at 10:00:00.000 on a clock 5 s ahead of the steady clock.
constexpr ResendClock Sent{1'000'000'000'000, 5'000};

ResendClock after(std::int64_t ms, std::int64_t step = 0) {
    return {Sent.serverTimeMs + ms + step, Sent.leadMs + step};
}

TEST(ResendDue, AChangedStateGoesOutAtOnce) {
    EXPECT_TRUE(resendDue(Sent, after(1), true));
    EXPECT_FALSE(resendDue(Sent, after(1), false));
}

TEST(ResendDue, TheSameStateGoesOutAgainOnceAMinuteHasPassed) {
    EXPECT_FALSE(resendDue(Sent, after(59'999), false));
    EXPECT_TRUE(resendDue(Sent, after(60'000), false));
    EXPECT_TRUE(resendDue(Sent, after(3'600'000), false));
}

TEST(ResendDue, AClockSetForwardOrBackGoesOutAtOnce) {
    // Setting the clock a minute back: its reading goes back and its lead drops.
    EXPECT_TRUE(resendDue(Sent, after(1'000, -60'000), false));
    // A small step back, still after the sent reading: only the lead tells it.
    EXPECT_TRUE(resendDue(Sent, after(2'000, -1'000), false));
    // Forward by a second, well inside the minute.
    EXPECT_TRUE(resendDue(Sent, after(1'000, 1'000), false));
    // The clock's own drift and the timers' jitter are no step.
    EXPECT_FALSE(resendDue(Sent, after(10'000, 500), false));
    EXPECT_FALSE(resendDue(Sent, after(10'000, -500), false));
}

} // namespace
} // namespace orvane
