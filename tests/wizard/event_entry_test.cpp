#include "wizard_fixture.h"

namespace orvane::test {
namespace {

using EventEntryTest = WizardTest;

const char* const Clash =
    "You cannot have two Event Timers occuring at the same time.  Change the Mission Time or "
    "Cancel.";

// Regression: slots never defined, with their empty mark and zero seconds, clashed with an
// event at liftoff. Only defined events clash.
TEST_F(EventEntryTest, AnEventAtLiftoffClashesOnlyWithADefinedOne) {
    pickAndName(0, "Zero");
    missionTime(true, 0, 0, 0, 0);
    click(met().cmdEnter);
    EXPECT_FALSE(wizardOpen());
    EXPECT_EQ(record().plusText(0), "-");
    EXPECT_EQ(record().Secs(0), 0);

    pickAndName(1, "Also zero");
    missionTime(false, 0, 0, 0, 0);
    answer(Answer::OK);
    click(met().cmdEnter);
    EXPECT_EQ(lastMessage().text, Clash);
    EXPECT_EQ(lastMessage().icon, Icon::Exclamation);
    EXPECT_EQ(met().chkContinue.value(), 1);
    EXPECT_EQ(met().lblHold.caption(), "0") << "event 0 is the one at the same time";
    EXPECT_TRUE(met().visible());
    EXPECT_TRUE(record().plusText(1).empty());
}

// Guards the clash check against a removed event, whose times stay in the record.
TEST_F(EventEntryTest, ARemovedEventStillHoldsItsTime_ButAnEventMayKeepItsOwn) {
    for (int n = 0; n < 10; ++n)
        assign(n, "+", 100 + n, "E" + std::to_string(n));
    assign(5, "-", 3600, "Gone");
    openRemoveDialog();
    click(removeDialog().optNumber[5]);
    answer(Answer::OK);
    click(removeDialog().cmdRemove);

    pickAndName(2, "Hold");
    missionTime(true, 0, 1, 0, 0);
    answer(Answer::OK);
    click(met().cmdEnter);
    EXPECT_EQ(lastMessage().text, Clash);

    type(met().mission.vsbHoursSim, "0");
    click(met().cmdBack);
    click(plus().optTPlus);
    click(plus().cmdNext);
    type(met().mission.vsbMinutesSim, "1");
    type(met().mission.vsbSecondsSim, "42");
    click(met().cmdEnter);
    EXPECT_FALSE(wizardOpen()) << "102 s after liftoff is event 2's own time";
    EXPECT_EQ(board().control<Label>("lblName", 2).caption(), "Hold");
    EXPECT_EQ(record().Secs(2), 102);
}

TEST_F(EventEntryTest, TheLongestMissionTimeIsStoredInFull) {
    pickAndName(0, "Far");
    missionTime(false, 365, 23, 59, 59);
    EXPECT_EQ(met().mission.txtDaysSim.text(), "365");
    click(met().cmdEnter);
    EXPECT_EQ(record().Secs(0), 31622399);
    EXPECT_EQ(record().plusText(0), "+");
}

TEST_F(EventEntryTest, ADateIsStoredAsItsDistanceFromTheLaunch) {
    // Every other event is defined away from liftoff, so that the launch second is free.
    for (int n = 1; n < 10; ++n)
        assign(n, "+", 1000 + n, "E" + std::to_string(n));
    struct Case {
        int minutes, seconds;
        const char* mark;
        int secs;
    } cases[] = {{30, 0, "+", 0}, {31, 30, "+", 90}, {28, 30, "-", 90}};
    for (const Case& c : cases) {
        pickAndName(0, "Dated");
        dateAndTime("May 3, 2001", 10, c.minutes, c.seconds);
        EXPECT_EQ(date().txtDate.text(), "May 3, 2001");
        click(date().cmdEnter);
        EXPECT_FALSE(wizardOpen()) << c.minutes;
        EXPECT_EQ(record().plusText(0), c.mark) << c.minutes;
        EXPECT_EQ(record().Secs(0), c.secs) << c.minutes;
        EXPECT_EQ(board().control<PictureBox>("pctEvent", 0).tag(), c.mark) << c.minutes;
    }
}

} // namespace
} // namespace orvane::test
