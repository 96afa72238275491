#include "support/app_fixture.h"

namespace orvane::test {
namespace {

class CountTest : public AppTest {
  protected:
    std::string count() {
        frmOrvane& f = main();
        return f.control<Label>("lblTMinus").caption() + " " +
               f.control<Label>("lblDays").caption() + " " +
               f.control<Label>("lblHours").caption() + ":" +
               f.control<Label>("lblMinutes").caption() + ":" +
               f.control<Label>("lblSeconds").caption();
    }
};

TEST_F(CountTest, CountsDownToTheLaunchSecond_ThenUpFromIt) {
    clockAt("2001-05-03 10:29:59");
    startAndSettle();
    clockAt("2001-05-03 10:29:59");
    EXPECT_EQ(count(), "T - 000 00:00:01");
    EXPECT_EQ(main().backColor(), 0x8080FFu);
    advance(1s);
    EXPECT_EQ(count(), "T + 000 00:00:00");
    EXPECT_EQ(main().backColor(), 0x00C000u);
    advance(90061s);
    EXPECT_EQ(count(), "T + 001 01:01:01");
}

TEST_F(CountTest, ALaunchMoreThan68YearsAwayCountsInFull) {
    clockAt("2001-05-03 10:30:00");
    startAndSettle();
    main().control<Label>("lblTarget").setCaption("May 3, 2071   10:30:00 AM");
    advance(1s);
    // 25567 days from May 3, 2001 to May 3, 2071, less the four seconds gone since 10:30.
    EXPECT_EQ(count(), "T - 25566 23:59:56");
    EXPECT_EQ(main().TminusSec(), 25567LL * 86400 - 4);
}

TEST_F(CountTest, AfterLaunchTheHoldAndWindowControlsAreSwitchedOff_AndComeBackForANewLaunch) {
    clockAt("2001-05-03 10:31:00");
    startAndSettle();
    frmOrvane& f = main();
    EXPECT_FALSE(f.control<MenuItem>("mnuHoldEnable").enabled());
    EXPECT_FALSE(f.control<CheckBox>("chkLaunchWindowActive").enabled());
    EXPECT_EQ(f.control<Label>("lblWindowWarning").tag(), "Off");

    f.control<Label>("lblTarget").setCaption("May 3, 2001   11:00:00 AM");
    advance(1s);
    EXPECT_EQ(f.control<Label>("lblTMinus").caption(), "T -");
    EXPECT_TRUE(f.control<MenuItem>("mnuHoldEnable").enabled());
    EXPECT_TRUE(f.control<CheckBox>("chkLaunchWindowActive").enabled());
    EXPECT_FALSE(f.control<CommandButton>("cmdHoldResume").enabled())
        << "the hold button waits for Hold Enable";
}

TEST_F(CountTest, TheStatusBarDateWaitsForTheFullScreen) {
    clockAt("2001-05-03 10:20:00");
    startAndSettle();
    StatusPanel& date = *main().control<StatusBar>("sbrStatusBar").panel("pnlCurrentDate");
    advance(5s);
    EXPECT_EQ(date.text(), "");
    ASSERT_TRUE(click(main().control<CommandButton>("cmdAccess")));
    EXPECT_EQ(date.text(), "May 3, 2001  10:20:08 AM");
    advance(2s);
    EXPECT_EQ(date.text(), "May 3, 2001  10:20:10 AM");
}

TEST_F(CountTest, EscAndTheCloseButtonBothLeadToTheExit_TheCloseAloneNeverClosesTheWindow) {
    startAndSettle();
    answer(Answer::No);
    closeButton(main());
    EXPECT_TRUE(app.isLoaded("frmOrvane"));
    EXPECT_TRUE(app.ended());

    FakeWorld other;
    App second(other.services);
    other.scheduler.deliver([&] { Main(second); });
    other.scheduler.advance(3000);
    other.dialogs.queueAnswer(Answer::No);
    other.scheduler.deliver([&] { second.frmOrvane().keyPress(27); });
    EXPECT_TRUE(second.ended());
}

} // namespace
} // namespace orvane::test
