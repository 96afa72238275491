// The count in real time: a hold or a resume handled in the instant the clock turns a second,
// before that second's update has run, and a change of the computer's time zone.

#include "support/app_fixture.h"

namespace orvane::test {
namespace {

class RealTimeTest : public AppTest {
  protected:
    std::string count() {
        frmOrvane& f = main();
        return f.control<Label>("lblTMinus").caption() + " " +
               f.control<Label>("lblDays").caption() + " " +
               f.control<Label>("lblHours").caption() + ":" +
               f.control<Label>("lblMinutes").caption() + ":" +
               f.control<Label>("lblSeconds").caption();
    }
    // The clock turns its next second, and the click comes before the program has woken to
    // show that second.
    void toTheTurnOfTheSecond() {
        advance(std::chrono::milliseconds(999 - world.clock.msIntoSecond()));
        world.clock.elapse(1);
    }
};

TEST_F(RealTimeTest, HoldAndResumeAtTheTurnOfASecondNeitherLoseNorAddOne) {
    clockAt("2001-05-03 10:19:50");
    startAndSettle();
    frmOrvane& f = main();
    ASSERT_TRUE(click(f.control<MenuItem>("mnuRtHoldEnable")));
    EXPECT_EQ(count(), "T - 000 00:10:07");

    toTheTurnOfTheSecond();
    ASSERT_TRUE(click(f.control<CommandButton>("cmdHoldResume")));
    EXPECT_EQ(now(), "2001-05-03 10:19:54");
    EXPECT_EQ(count(), "T - 000 00:10:06") << "the hold shows the count of the second it holds at";
    advance(5s);
    EXPECT_EQ(count(), "T - 000 00:10:06");
    EXPECT_EQ(f.control<Label>("lblTarget").caption(), "May 3, 2001   10:30:05 AM");

    toTheTurnOfTheSecond();
    ASSERT_TRUE(click(f.control<CommandButton>("cmdHoldResume")));
    EXPECT_EQ(now(), "2001-05-03 10:20:00");
    EXPECT_EQ(f.control<Label>("lblTarget").caption(), "May 3, 2001   10:30:06 AM")
        << "six seconds were held";
    EXPECT_EQ(count(), "T - 000 00:10:06");
    advance(1s);
    EXPECT_EQ(count(), "T - 000 00:10:05");
}

// The launch time is a wall time of the computer's zone: when the zone changes, the same wall
// time is another instant, and the count shows it at the next second.
TEST_F(RealTimeTest, AChangeOfTimeZoneShowsAtTheNextSecond) {
    clockAt("2001-05-03 10:19:57");
    startAndSettle();
    EXPECT_EQ(count(), "T - 000 00:10:00");
    world.clock.setZone(*TimeZone::named("Europe/Berlin"));
    advance(1s);
    // 10:20:01 UTC is 12:20:01 in Berlin, 1:50:01 after a launch at 10:30 Berlin time.
    EXPECT_EQ(count(), "T + 000 01:50:01");
}

} // namespace
} // namespace orvane::test
