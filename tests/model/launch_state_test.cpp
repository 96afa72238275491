// The launch state's rules with no window: a hold's arithmetic across midnight, a change of
// daylight saving time and days, clock steps taken out of it, and the launch window used up.

#include "model/launch_state.h"

#include <gtest/gtest.h>

#include <string>

namespace orvane {
namespace {

TimeZone newYork() {
    return TimeZone::named("America/New_York").value();
}

LocalTime wall(const char* text) {
    return readLocalTime(text).value();
}

std::string wallText(const TimeZone& zone, Instant at) {
    return formatDate(zone.toWall(at), "yyyy-mm-dd hh:nn:ss");
}

TEST(LaunchState, CountsRealSecondsToTheLaunchAcrossADaylightSavingChange) {
    const TimeZone zone = newYork();
    LaunchState s;
    // The clocks go forward at 2 AM on 2001-04-01: 1:30 to 3:30 is one real hour.
    s.setLaunchTime(wall("April 1, 2001 3:30:00 AM"));
    const Instant now = zone.toInstant(wall("April 1, 2001 1:30:00 AM"));
    EXPECT_EQ(s.secondsToLaunch(now, zone), 3600);
    EXPECT_EQ(s.secondsToLaunch(now.addSeconds(3601), zone), -1);
    // A launch time that no text names counts to the zero date, as an unreadable one always has.
    s.setLaunchTime(std::nullopt);
    EXPECT_EQ(s.launchMoment(zone), zone.toInstant(LocalTime{}));
}

// Each row: when the hold began, the launch time then, how long it lasted in real seconds,
// and the launch time it leaves, as local wall time.
struct HoldCase {
    const char* name;
    const char* start;
    const char* launch;
    std::int64_t heldSeconds;
    const char* moved;
};

class HeldLaunch : public testing::TestWithParam<HoldCase> {};

TEST_P(HeldLaunch, MovesByTheWholeRealTimeHeld) {
    const HoldCase& c = GetParam();
    const TimeZone zone = newYork();
    LaunchState s;
    s.setArmed(true);
    s.setLaunchTime(wall(c.launch));
    const Instant start = zone.toInstant(wall(c.start));
    s.hold(start, 0, zone);
    const std::int64_t counted = s.secondsToLaunch(start, zone);
    const Instant now = start.addSeconds(c.heldSeconds);
    ASSERT_TRUE(s.moveHeldLaunch(now, c.heldSeconds * 1000, zone));
    EXPECT_EQ(formatDate(s.launchTime()->wall, "yyyy-mm-dd hh:nn:ss"), c.moved);
    EXPECT_EQ(s.heldSeconds(now, zone), c.heldSeconds);
    // The count stands still however long the hold lasts.
    EXPECT_EQ(s.secondsToLaunch(now, zone), counted) << "the count moved during the hold";
}

INSTANTIATE_TEST_SUITE_P(
    Holds, HeldLaunch,
    testing::Values(HoldCase{"AcrossMidnight", "May 3, 2001 11:59:00 PM", "May 4, 2001 12:10:00 AM",
                             125, "2001-05-04 00:12:05"},
                    HoldCase{"IntoTheSkippedHour", "April 1, 2001 1:50:00 AM",
                             "April 1, 2001 1:55:00 AM", 600, "2001-04-01 03:05:00"},
                    HoldCase{"OverTheRepeatedHour", "October 28, 2001 12:30:00 AM",
                             "October 28, 2001 1:45:00 AM", 3600, "2001-10-28 01:45:00"},
                    HoldCase{"MoreThanADay", "May 3, 2001 10:00:00 AM", "May 3, 2001 10:30:00 AM",
                             2 * 86400 + 61, "2001-05-05 10:31:01"}),
    [](const testing::TestParamInfo<HoldCase>& info) { return std::string(info.param.name); });

TEST(LaunchState, AHoldOverTheRepeatedHourLandsOnItsSecondOccurrence) {
    const TimeZone zone = newYork();
    LaunchState s;
    s.setLaunchTime(wall("October 28, 2001 1:45:00 AM"));
    const Instant start = zone.toInstant(wall("October 28, 2001 12:30:00 AM"));
    s.hold(start, 0, zone);
    s.moveHeldLaunch(start.addSeconds(3600), 3600'000, zone);
    EXPECT_EQ(s.launchTime()->occurrence, Occurrence::Second);
    EXPECT_EQ(s.secondsToLaunch(start.addSeconds(3600), zone), 75 * 60);
}

TEST(LaunchState, AClockStepDuringAHoldMovesNeitherTheLaunchNorTheWindow) {
    const TimeZone zone = TimeZone::utc();
    LaunchState s;
    s.setLaunchTime(wall("May 3, 2001 10:30:00 AM"));
    s.setWindowActive(true);
    s.setWindow(300);
    const Instant start = zone.toInstant(wall("May 3, 2001 10:20:00 AM"));
    s.hold(start, 0, zone);
    // Ten seconds pass, and the clock is set back an hour in the same moment.
    const Instant now = start.addSeconds(10 - 3600);
    ASSERT_TRUE(s.moveHeldLaunch(now, 10'000, zone));
    EXPECT_TRUE(s.takeClockStepped());
    EXPECT_FALSE(s.takeClockStepped()) << "a step is told once";
    EXPECT_EQ(wallText(zone, s.launchMoment(zone)), "2001-05-03 10:30:10");
    EXPECT_EQ(s.consumeWindow(now, 10'000, zone), LaunchState::Consumed::Left);
    EXPECT_EQ(s.window().left, 290);
}

TEST(LaunchState, ArmingStaysOnWhileHeld) {
    LaunchState s;
    s.setArmed(true);
    s.hold(Instant::fromUnixSeconds(0), 0, TimeZone::utc());
    s.setArmed(false);
    EXPECT_TRUE(s.armed());
    s.endHold();
    s.setArmed(false);
    EXPECT_FALSE(s.armed());
}

// Each row: the window's budget, the real seconds held, what is left, and whether it expired.
struct WindowCase {
    const char* name;
    std::int64_t budget;
    std::int64_t held;
    std::int64_t left;
    LaunchState::Consumed consumed;
};

class WindowUse : public testing::TestWithParam<WindowCase> {};

TEST_P(WindowUse, IsDrawnFromTheBudgetByTheRealTimeHeld) {
    const WindowCase& c = GetParam();
    const TimeZone zone = TimeZone::utc();
    LaunchState s;
    s.setWindowActive(true);
    s.setWindow(c.budget);
    const Instant start = Instant::fromUnixSeconds(1'000'000'000);
    s.hold(start, 0, zone);
    s.setWindowConsuming(true);
    EXPECT_EQ(s.consumeWindow(start.addSeconds(c.held), c.held * 1000, zone), c.consumed);
    EXPECT_EQ(s.window().left, c.left);
    const bool expired = c.consumed == LaunchState::Consumed::Expired;
    EXPECT_EQ(s.window().expired, expired);
    EXPECT_EQ(s.window().consuming, !expired);
    EXPECT_EQ(s.window().budget, c.budget) << "the budget stays what the use draws on";
}

INSTANTIATE_TEST_SUITE_P(
    Windows, WindowUse,
    testing::Values(WindowCase{"Partly", 300, 45, 255, LaunchState::Consumed::Left},
                    WindowCase{"ToTheLastSecond", 300, 300, 0, LaunchState::Consumed::Left},
                    WindowCase{"OneSecondPast", 300, 301, 0, LaunchState::Consumed::Expired},
                    WindowCase{"AFullDayRunsOut", 86399, 86400, 0, LaunchState::Consumed::Expired},
                    WindowCase{"NoneGiven", 0, 1, 0, LaunchState::Consumed::Expired}),
    [](const testing::TestParamInfo<WindowCase>& info) { return std::string(info.param.name); });

TEST(LaunchState, AnExpiredWindowIsToldOnceAndNeverUsedAgain) {
    const TimeZone zone = TimeZone::utc();
    LaunchState s;
    s.setWindowActive(true);
    s.setWindow(10);
    const Instant start = Instant::fromUnixSeconds(1'000'000'000);
    s.hold(start, 0, zone);
    ASSERT_EQ(s.consumeWindow(start.addSeconds(11), 11'000, zone), LaunchState::Consumed::Expired);
    s.setWindowConsuming(true);
    EXPECT_EQ(s.consumeWindow(start.addSeconds(20), 20'000, zone),
              LaunchState::Consumed::Unchanged);
    EXPECT_FALSE(s.window().consuming);
    EXPECT_TRUE(s.window().expired);
}

TEST(LaunchState, TheWarningIsDueInTheLastMinuteOfAnActiveWindowInAnArmedHold) {
    LaunchState s;
    s.setWindow(59);
    s.setWindowActive(true);
    s.setWindowWarningArmed(true);
    EXPECT_FALSE(s.windowWarningDue()) << "not held";
    s.hold(Instant::fromUnixSeconds(0), 0, TimeZone::utc());
    EXPECT_TRUE(s.windowWarningDue());
    s.setWindowLeft(60);
    EXPECT_FALSE(s.windowWarningDue()) << "a whole minute left";
    s.setWindowLeft(std::nullopt);
    EXPECT_FALSE(s.windowWarningDue()) << "no time left to tell";
    s.setWindowLeft(0);
    s.setWindowActive(false);
    EXPECT_FALSE(s.windowWarningDue()) << "inactive";
    s.setWindowActive(true);
    s.setWindowWarningArmed(false);
    EXPECT_FALSE(s.windowWarningDue()) << "dismissed";
}

} // namespace
} // namespace orvane
