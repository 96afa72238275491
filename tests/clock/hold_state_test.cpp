#include "support/app_fixture.h"

namespace orvane::test {
namespace {

// The launch second disarms holds; a launch time set afresh afterwards must find them disarmed,
// so that the next Hold Enable arms them rather than flipping a stale state.
TEST_F(AppTest, AfterALaunchANewLaunchTimeCanBeHeldAgain) {
    clockAt("2001-05-03 10:29:50");
    startAndSettle();
    frmOrvane& f = main();
    ASSERT_TRUE(click(f.control<MenuItem>("mnuHoldEnable")));
    EXPECT_TRUE(f.holdArmed());
    ASSERT_TRUE(click(f.control<CommandButton>("cmdHoldResume")));
    EXPECT_TRUE(f.held());
    EXPECT_EQ(f.control<CommandButton>("cmdHoldResume").caption(), "&Resume");
    ASSERT_TRUE(click(f.control<CommandButton>("cmdHoldResume")));
    EXPECT_FALSE(f.held());
    EXPECT_EQ(f.control<CommandButton>("cmdHoldResume").caption(), "&Hold");

    advance(10s);
    EXPECT_EQ(f.control<Label>("lblTMinus").caption(), "T +");
    EXPECT_FALSE(f.holdArmed());
    EXPECT_EQ(f.control<MenuItem>("mnuHoldEnable").caption(), "Hold Enable");

    f.control<Label>("lblTarget").setCaption("May 3, 2001   11:00:00 AM");
    advance(1s);
    ASSERT_TRUE(click(f.control<MenuItem>("mnuHoldEnable")));
    EXPECT_TRUE(f.holdArmed());
    EXPECT_EQ(f.control<MenuItem>("mnuHoldEnable").caption(), "Hold Disable");
    EXPECT_TRUE(f.control<CommandButton>("cmdHoldResume").enabled());
    ASSERT_TRUE(click(f.control<CommandButton>("cmdHoldResume")));
    advance(125s);
    EXPECT_EQ(f.control<Label>("lblTarget").caption(), "May 3, 2001   11:02:05 AM");
}

} // namespace
} // namespace orvane::test
