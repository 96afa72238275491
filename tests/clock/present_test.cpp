#include "clock/frmPresent.h"
#include "colors.h"
#include "support/app_fixture.h"

namespace orvane::test {
namespace {

// Monitors a test attaches, in twips (15 a pixel).
class TestDisplays : public Displays {
  public:
    std::vector<Monitor> list;
    std::vector<Monitor> monitors() const override { return list; }
};

Monitor monitor(std::string name, std::string serial, int x, int y, int w, int h) {
    return Monitor{
        std::move(name), "Maker Model", std::move(serial), x * 15, y * 15, w * 15, h * 15, w, h};
}

class PresentTest : public AppTest {
  protected:
    frmPresent& present() { return app.form<frmPresent>(); }
    frmPresentScreen& picker() { return app.form<frmPresentScreen>(); }
    bool presenting() const { return app.isLoaded("frmPresent"); }
    void attach(std::vector<Monitor> monitors) {
        displays.list = std::move(monitors);
        app.setDisplays(&displays);
    }

    TestDisplays displays;
};

TEST_F(PresentTest, TheCommandIsOnTheSettingsMenuWithF11_AndLastOnTheRightClickMenu) {
    startAndSettle();
    frmOrvane& f = main();
    EXPECT_EQ(f.control<MenuItem>("mnuPresent").parentMenu(), &f.control<MenuItem>("mnuSettings"));
    EXPECT_EQ(f.control<MenuItem>("mnuPresent").caption(), "Present Count");
    EXPECT_EQ(f.control<MenuItem>("mnuPresent").shortcut(), "F11");
    const auto& popup = f.control<MenuItem>("mnuPopUp").items();
    ASSERT_GE(popup.size(), 2u);
    EXPECT_EQ(popup.back(), &f.control<MenuItem>("mnuRtPresent"));
    EXPECT_TRUE(popup[popup.size() - 2]->isSeparator());
    EXPECT_EQ(popup[popup.size() - 3], &f.control<MenuItem>("mnuRtExit"));
}

// One monitor: the count covers it at once, frameless and above the other windows, and turns
// with the main window's count in the same round.
TEST_F(PresentTest, OnOneMonitorTheCountCoversIt_AndTurnsWithTheMainWindow) {
    clockAt("2001-05-03 10:20:00");
    startAndSettle();
    ASSERT_TRUE(click(main().control<MenuItem>("mnuRtPresent")));
    ASSERT_TRUE(presenting());
    frmPresent& p = present();
    EXPECT_TRUE(p.visible());
    EXPECT_TRUE(p.borderless());
    EXPECT_TRUE(p.topMost());
    const Monitor only = app.displays().monitors().front();
    EXPECT_EQ(p.left(), only.left);
    EXPECT_EQ(p.top(), only.top);
    EXPECT_EQ(p.width(), only.width);
    EXPECT_EQ(p.height(), only.height);
    EXPECT_EQ(p.lblTMinus.caption(), "T -");
    EXPECT_EQ(p.lblClock.caption(), "00:09:57");
    EXPECT_EQ(p.lblClock.caption(), main().control<Label>("lblHours").caption() + ":" +
                                        main().control<Label>("lblMinutes").caption() + ":" +
                                        main().control<Label>("lblSeconds").caption());
    EXPECT_FALSE(p.lblDays.visible());
    EXPECT_EQ(p.lblTarget.caption(), "May 3, 2001   10:30:00 AM");
    EXPECT_EQ(p.backColor(), LightRed);
    for (int s = 0; s < 5; ++s) {
        advance(1s);
        EXPECT_EQ(p.lblClock.caption().substr(6), main().control<Label>("lblSeconds").caption());
    }
}

TEST_F(PresentTest, HeldTheDigitsAreYellow_AfterLiftoffTheWindowIsGreen) {
    clockAt("2001-05-03 10:29:50");
    startAndSettle();
    ASSERT_TRUE(click(main().control<MenuItem>("mnuRtPresent")));
    frmPresent& p = present();
    ASSERT_TRUE(click(main().control<MenuItem>("mnuHoldEnable")));
    ASSERT_TRUE(click(main().control<CommandButton>("cmdHoldResume")));
    advance(5s);
    EXPECT_EQ(p.lblClock.caption(), "00:00:07");
    EXPECT_EQ(p.lblClock.backColor(), Yellow);
    ASSERT_TRUE(click(main().control<CommandButton>("cmdHoldResume")));
    advance(10s);
    EXPECT_EQ(p.lblClock.backColor(), LightGrey);
    EXPECT_EQ(p.lblTMinus.caption(), "T +");
    EXPECT_EQ(p.lblClock.caption(), "00:00:03");
    EXPECT_EQ(p.backColor(), Green);
}

// On one monitor the present window is all the operator sees: it takes the hold commands
// itself (space once holds are armed, the right-click menu), and says a hold in words.
TEST_F(PresentTest, ThePresentWindowHoldsAndResumes_AndSaysHOLDBesideTheCount) {
    clockAt("2001-05-03 10:29:50");
    startAndSettle();
    ASSERT_TRUE(click(main().control<MenuItem>("mnuRtPresent")));
    frmPresent& p = present();
    const int countWidth = p.lblClock.width();
    ASSERT_TRUE(key(p, ' '));
    EXPECT_FALSE(main().held()) << "holds are not armed yet";
    ASSERT_TRUE(rightClick(p.lblClock));
    EXPECT_FALSE(p.mnuPrHold.enabled());
    ASSERT_TRUE(click(p.mnuPrHoldEnable));
    EXPECT_TRUE(main().holdArmed());
    EXPECT_EQ(p.mnuPrHoldEnable.caption(), "Hold Disable");
    ASSERT_TRUE(key(p, ' '));
    EXPECT_TRUE(main().held());
    EXPECT_TRUE(p.lblHold.visible());
    EXPECT_EQ(p.lblHold.caption(), "HOLD");
    EXPECT_LE(p.lblTMinus.left() + p.lblTMinus.width(), p.lblHold.left());
    EXPECT_LT(p.lblHold.top() + p.lblHold.height(), p.lblClock.top()) << "above the digits";
    EXPECT_EQ(p.lblClock.width(), countWidth) << "the digits keep their size";
    EXPECT_EQ(p.mnuPrHold.caption(), "&Resume");
    EXPECT_FALSE(p.mnuPrHoldEnable.enabled()) << "a hold is left only by Resume";
    advance(5s);
    EXPECT_EQ(p.lblClock.caption(), "00:00:07");
    ASSERT_TRUE(click(p.mnuPrHold));
    EXPECT_FALSE(main().held());
    EXPECT_FALSE(p.lblHold.visible());
    EXPECT_EQ(p.lblTMinus.width(), p.lblClock.width()) << "the sign alone across the top";
    ASSERT_TRUE(key(p, ' '));
    EXPECT_TRUE(main().held()) << "space holds again";
}

TEST_F(PresentTest, DaysShowWhenThereAreAny_AndMakeRoomBesideTheSign) {
    clockAt("2001-05-01 10:30:00");
    startAndSettle();
    ASSERT_TRUE(click(main().control<MenuItem>("mnuRtPresent")));
    frmPresent& p = present();
    EXPECT_TRUE(p.lblDays.visible());
    EXPECT_EQ(p.lblDays.caption(), "1 day");
    EXPECT_EQ(p.lblClock.caption(), "23:59:57");
    EXPECT_LE(p.lblTMinus.left() + p.lblTMinus.width(), p.lblDays.left());
    main().control<Label>("lblTarget").setCaption("May 3, 2001   10:31:00 AM");
    advance(1s);
    EXPECT_EQ(p.lblDays.caption(), "2 days");
    main().control<Label>("lblTarget").setCaption("May 1, 2001   10:40:00 AM");
    advance(1s);
    EXPECT_FALSE(p.lblDays.visible());
    EXPECT_EQ(p.lblClock.caption(), "00:09:55");
}

// Esc in the present window leaves it and only it: the exit question never comes (an
// unexpected message box fails the test).
TEST_F(PresentTest, EscOrADoubleClickLeaves_AndEscNeverAsksToExit) {
    startAndSettle();
    ASSERT_TRUE(click(main().control<MenuItem>("mnuRtPresent")));
    ASSERT_TRUE(key(present(), 27));
    advance(1s);
    EXPECT_FALSE(presenting());
    EXPECT_FALSE(app.ended());
    EXPECT_EQ(messageCount(), 0u);

    ASSERT_TRUE(click(main().control<MenuItem>("mnuRtPresent")));
    ASSERT_TRUE(dblClick(present().lblClock));
    advance(1s);
    EXPECT_FALSE(presenting());
    ASSERT_TRUE(click(main().control<MenuItem>("mnuRtPresent")));
    ASSERT_TRUE(dblClick(present()));
    EXPECT_FALSE(presenting());
    EXPECT_TRUE(main().visible());
}

// Two monitors: the user picks one, the choice is kept, and a remembered monitor that has gone
// is not offered.
TEST_F(PresentTest, WithSeveralMonitorsTheUserPicks_AndTheChoiceIsRemembered) {
    attach({monitor("DP-1", "A1", 0, 0, 1920, 1080), monitor("HDMI-1", "B2", 1920, 0, 3840, 2160)});
    startAndSettle();
    ASSERT_TRUE(click(main().control<MenuItem>("mnuRtPresent")));
    EXPECT_FALSE(presenting());
    frmPresentScreen& pick = picker();
    EXPECT_TRUE(pick.visible());
    EXPECT_TRUE(pick.optMonitor[0].visible());
    EXPECT_TRUE(pick.optMonitor[1].visible());
    EXPECT_FALSE(pick.optMonitor[2].visible());
    EXPECT_EQ(pick.optMonitor[1].caption(), "&2  HDMI-1 (Maker Model), 3840 x 2160");
    // Nothing remembered: the monitor the main window is not on.
    EXPECT_TRUE(pick.optMonitor[1].value());
    ASSERT_TRUE(click(pick.optMonitor[0]));
    ASSERT_TRUE(click(pick.cmdPresent));
    ASSERT_TRUE(presenting());
    EXPECT_EQ(present().left(), 0);
    EXPECT_EQ(present().width(), 1920 * 15);
    EXPECT_EQ(world.settings.stored(PresentSection, PresentMonitorKey), displays.list[0].key());
    ASSERT_TRUE(key(present(), 27));
    // Next time the remembered one is offered, the first monitor though the main window is on it.
    ASSERT_TRUE(click(main().control<MenuItem>("mnuRtPresent")));
    EXPECT_TRUE(picker().optMonitor[0].value());
    ASSERT_TRUE(key(picker(), 27));

    // And it is chosen even after the monitors changed places.
    std::swap(displays.list[0], displays.list[1]);
    displays.list[0].left = displays.list[1].left = 0;
    displays.list[1].left = 3840 * 15;
    ASSERT_TRUE(click(main().control<MenuItem>("mnuRtPresent")));
    EXPECT_TRUE(picker().optMonitor[1].value());
    ASSERT_TRUE(click(picker().cmdPresent));
    EXPECT_EQ(present().left(), 3840 * 15);
    EXPECT_EQ(present().height(), 1080 * 15);
    ASSERT_TRUE(key(present(), 27));

    // Esc on the picker presents nothing.
    ASSERT_TRUE(click(main().control<MenuItem>("mnuRtPresent")));
    ASSERT_TRUE(key(picker(), 27));
    EXPECT_FALSE(app.isLoaded("frmPresentScreen"));
    EXPECT_FALSE(presenting());
}

// With the main window moved to the second monitor, the picker offers the first.
TEST_F(PresentTest, NothingRememberedThePickerOffersTheMonitorTheMainWindowIsNotOn) {
    attach({monitor("DP-1", "A1", 0, 0, 1920, 1080), monitor("HDMI-1", "B2", 1920, 0, 3840, 2160)});
    startAndSettle();
    main().move((1920 + 100) * 15, 100 * 15, main().width(), main().height());
    ASSERT_TRUE(click(main().control<MenuItem>("mnuRtPresent")));
    EXPECT_TRUE(picker().optMonitor[0].value());
    EXPECT_FALSE(picker().optMonitor[1].value());
}

TEST(MonitorsTest, ARememberedMonitorIsFoundByItsPlace_ThenItsIdentity_ThenItsOutput) {
    const Monitor a = monitor("DP-1", "A1", 0, 0, 1920, 1080);
    const Monitor b = monitor("HDMI-1", "B2", 1920, 0, 1920, 1080);
    Monitor bMoved = b;
    bMoved.left = 0;
    Monitor bOther = b;
    bOther.serial = "C3";
    EXPECT_EQ(findRemembered({a, b}, b.key()), 1);
    EXPECT_EQ(findRemembered({bMoved, a}, b.key()), 0);
    EXPECT_EQ(findRemembered({a, bOther}, b.key()), 1);
    EXPECT_EQ(findRemembered({a}, b.key()), -1);
    EXPECT_EQ(findRemembered({a, b}, ""), -1);
    EXPECT_EQ(findRemembered({a, b}, "not a key"), -1);
    // A window's monitor is the one holding its centre, else the nearest.
    EXPECT_EQ(monitorOf({a, b}, 1800 * 15, 0, 400 * 15, 100 * 15), 1);
    EXPECT_EQ(monitorOf({a, b}, -5000 * 15, 100, 100, 100), 0);
    EXPECT_EQ(monitorOf({a, b}, 9000 * 15, 100, 100, 100), 1);
}

// The digits cover most of the compact window, so a double click on them switches screens as
// one on the background does.
TEST_F(PresentTest, ADoubleClickOnTheDigitsSwitchesScreens) {
    startAndSettle();
    ASSERT_TRUE(dblClick(main().control<Label>("lblSeconds")));
    EXPECT_EQ(main().control<CommandButton>("cmdAccess").caption(), "Com&pact Screen");
    ASSERT_TRUE(dblClick(main().control<Label>("lblDays")));
    EXPECT_EQ(main().control<CommandButton>("cmdAccess").caption(), "&Access Launch Data");
}

} // namespace
} // namespace orvane::test
