#include "support/app_fixture.h"

namespace orvane::test {
namespace {

constexpr const char* Expired = "Your Launch Window has expired.  You must reschedule a new "
                                "Launch Date.  Press OK then the Esc key to exit the program.";

// A held count with an active launch window of five seconds.
class LaunchWindowTest : public AppTest {
  protected:
    void SetUp() override {
        clockAt("2001-05-03 10:19:57");
        startAndSettle();
        frmOrvane& f = main();
        ASSERT_TRUE(click(f.control<CommandButton>("cmdAccess")));
        type(f.control<ScrollBar>("vsbSecondsW"), "5");
        answer(Answer::Yes);
        ASSERT_TRUE(click(f.control<CommandButton>("cmdSetWindow")));
        ASSERT_TRUE(click(f.control<CheckBox>("chkLaunchWindowActive")));
        ASSERT_TRUE(click(f.control<MenuItem>("mnuHoldEnable")));
        ASSERT_TRUE(click(f.control<CommandButton>("cmdHoldResume")));
    }

    std::size_t expiryMessages() const {
        std::size_t n = 0;
        for (const ShownMessage& m : world.dialogs.shown())
            n += m.text == Expired;
        return n;
    }
};

// Regression: the expiry message is modal but time goes on behind it; ticks that came while
// it was open used to raise it again and again.
TEST_F(LaunchWindowTest, TheExpiryIsReportedOnce_WhileItsMessageStaysOpen) {
    frmOrvane& f = main();
    bool open = false;
    world.echo = [&](const std::string& line) {
        if (open || line.find("has expired") == std::string::npos)
            return;
        // The user reads the message for a while: seconds pass and every other timer runs,
        // and the check box changes hands twice.
        open = true;
        for (int i = 0; i < 3; ++i) {
            world.clock.elapse(1000);
            world.scheduler.settle();
        }
        f.control<CheckBox>("chkLaunchWindowActive").setValue(0);
        f.control<CheckBox>("chkLaunchWindowActive").setValue(1);
        world.scheduler.settle();
        open = false;
    };
    answer(Answer::OK);
    advance(6s);
    advance(10s);
    EXPECT_EQ(expiryMessages(), 1u);
    EXPECT_EQ(f.control<Label>("lblLaunchWindow").caption(), "00:00:00");
    EXPECT_FALSE(f.control<Timer>("tmrLaunchWindow").enabled());
    EXPECT_EQ(f.tag(), "Off");
}

} // namespace
} // namespace orvane::test
