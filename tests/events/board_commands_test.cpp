#include "board_fixture.h"
#include "wizard/register.h"

namespace orvane::test {
namespace {

class BoardCommandsTest : public BoardTest {
  protected:
    void SetUp() override {
        startAndSettle();
        showBoard();
    }
    std::vector<int> tops() {
        std::vector<int> t;
        for (int n = 0; n < 10; ++n)
            t.push_back(top(n));
        return t;
    }
    std::vector<std::string> marks() {
        std::vector<std::string> m;
        for (int n = 0; n < 10; ++n)
            m.push_back(mark(n));
        return m;
    }
};

int place(int k) {
    return 120 + 1320 * (k - 1);
}

TEST_F(BoardCommandsTest, SequenceEventsPutsTheRowsInTimeOrder_UnsetEventsAsEventsAtLaunch) {
    defineEvent(0, "+", 600);
    defineEvent(1, "-", 3600);
    defineEvent(2, "-", 60);
    ASSERT_TRUE(click(board().cmdSeqEvents));
    EXPECT_EQ(tops(), (std::vector<int>{place(10), place(1), place(2), place(3), place(4), place(5),
                                        place(6), place(7), place(8), place(9)}));
    EXPECT_EQ(marks(), (std::vector<std::string>{"Low", "High", "", "", "", "", "", "", "", ""}));
}

TEST_F(BoardCommandsTest, WithNothingSetTiesSpreadInNumberOrder_AndKeepTheirHighMarks) {
    ASSERT_TRUE(click(board().mnuEditSeq));
    EXPECT_EQ(tops(), (std::vector<int>{place(1), place(2), place(3), place(4), place(5), place(6),
                                        place(7), place(8), place(9), place(10)}));
    EXPECT_EQ(marks(), (std::vector<std::string>{"High", "High", "High", "High", "High", "High",
                                                 "High", "High", "High", "Low"}));
}

TEST_F(BoardCommandsTest, TiedEventsStandInNumberOrder) {
    defineEvent(6, "-", 900);
    defineEvent(3, "-", 900);
    defineEvent(8, "+", 30);
    defineEvent(5, "+", 30);
    ASSERT_TRUE(click(board().cmdSeqEvents));
    EXPECT_EQ(top(3), place(1));
    EXPECT_EQ(top(6), place(2));
    EXPECT_EQ(top(5), place(9));
    EXPECT_EQ(top(8), place(10));
    EXPECT_EQ(mark(3), "High");
    EXPECT_EQ(mark(6), "High") << "moved off the first place by its tie, it keeps its mark";
    EXPECT_EQ(mark(8), "Low");
}

TEST_F(BoardCommandsTest, NineScrollsReachTheEnd_ThenTheCommandDisablesItself) {
    frmEventTimers& b = board();
    EXPECT_FALSE(b.cmdUp.enabled());
    EXPECT_FALSE(b.mnuScrollDown.enabled());
    for (int press = 1; press <= 8; ++press)
        ASSERT_TRUE(click(b.cmdDown)) << press;
    EXPECT_TRUE(b.cmdUp.enabled());
    EXPECT_TRUE(b.mnuScrollDown.enabled());
    EXPECT_TRUE(b.cmdDown.enabled());
    ASSERT_TRUE(click(b.cmdDown));
    EXPECT_EQ(top(0), -11760);
    EXPECT_EQ(top(9), place(1));
    EXPECT_FALSE(b.cmdDown.enabled());
    EXPECT_FALSE(b.mnuScrollUp.enabled());
    EXPECT_FALSE(click(b.cmdDown));
    EXPECT_FALSE(click(b.mnuScrollUp));

    for (int press = 1; press <= 9; ++press)
        ASSERT_TRUE(click(b.mnuScrollDown)) << press;
    EXPECT_EQ(top(0), place(1));
    EXPECT_EQ(top(9), place(10));
    EXPECT_FALSE(b.cmdUp.enabled());
    EXPECT_FALSE(b.mnuScrollDown.enabled());
    EXPECT_TRUE(b.cmdDown.enabled());
    EXPECT_TRUE(b.mnuScrollUp.enabled());
}

TEST_F(BoardCommandsTest, RemoveAllAsksFirst_CancelKeepsEverything_OKHidesAndUnnamesEveryRow) {
    defineEvent(3, "-", 600);
    answer(Answer::Cancel);
    ASSERT_TRUE(click(board().mnuEditRemoveAll));
    const ShownMessage asked = lastMessage();
    EXPECT_EQ(asked.text, "This will permanantly remove all of your Event Timers.");
    EXPECT_EQ(asked.title, "Orvane");
    EXPECT_EQ(asked.icon, Icon::Exclamation);
    EXPECT_EQ(asked.buttons, Buttons::OKCancel);
    EXPECT_EQ(board().lblName[3].caption(), "Event -600");
    EXPECT_EQ(board().pctEvent[3].tag(), "-");
    EXPECT_TRUE(board().pctEvent[3].visible());

    answer(Answer::OK);
    ASSERT_TRUE(click(board().mnuEditRemoveAll));
    for (int n = 0; n < 10; ++n) {
        EXPECT_EQ(board().lblName[n].caption(), "Event Unassigned") << n;
        EXPECT_EQ(board().pctEvent[n].tag(), "") << n;
        EXPECT_FALSE(board().pctEvent[n].visible()) << n;
    }
    EXPECT_EQ(board().EventData().Secs(3), 600) << "the record keeps its values";

    // Showing the window again brings back only rows that have an event.
    ASSERT_TRUE(click(board().cmdHideScreen));
    defineEvent(5, "+", 60);
    board().pctEvent[5].setVisible(false);
    ASSERT_TRUE(click(main().mnuRtShowTimers));
    EXPECT_TRUE(board().pctEvent[5].visible());
    EXPECT_FALSE(board().pctEvent[3].visible());
}

TEST_F(BoardCommandsTest, HideThenShowControlsReturnsTheWideWindowToItsPlace) {
    frmEventTimers& b = board();
    b.move(1000, 600, 4000, b.height());
    ASSERT_TRUE(click(b.cmdHide));
    EXPECT_EQ(b.width(), 3255);
    EXPECT_EQ(b.left(), 8310);
    EXPECT_EQ(b.mnuFileShowCtrls.caption(), "&Show Controls");
    EXPECT_EQ(b.mnuRtShow.caption(), "Show Controls");

    ASSERT_TRUE(click(b.mnuRtShow));
    EXPECT_EQ(b.width(), 5625);
    EXPECT_EQ(b.left(), 6000);
    EXPECT_EQ(b.mnuFileShowCtrls.caption(), "&Hide Controls");
    EXPECT_EQ(b.mnuRtShow.caption(), "Hide Controls");

    ASSERT_TRUE(click(b.mnuFileShowCtrls));
    EXPECT_EQ(b.width(), 3255);
    ASSERT_TRUE(click(b.mnuFileShowCtrls));
    EXPECT_EQ(b.width(), 5625);
}

TEST_F(BoardCommandsTest, AddEventFromTheButtonDisablesTheBoard_FromTheMenuItStaysUsable) {
    registerEventWizard(app);
    ASSERT_TRUE(click(board().cmdAdd));
    ASSERT_TRUE(app.isLoaded("frmETWIZNumber"));
    EXPECT_TRUE(app.loadedForm("frmETWIZNumber")->visible());
    EXPECT_FALSE(board().enabled());
    EXPECT_FALSE(click(board().cmdSeqEvents));

    ASSERT_TRUE(click(*app.loadedForm("frmETWIZNumber")->findControl("cmdCancel")));
    EXPECT_FALSE(app.isLoaded("frmETWIZNumber"));
    EXPECT_TRUE(board().enabled());

    ASSERT_TRUE(click(board().mnuFileAdd));
    EXPECT_TRUE(app.loadedForm("frmETWIZNumber")->visible());
    EXPECT_TRUE(board().enabled());

    ASSERT_TRUE(click(board().cmdRemove));
    ASSERT_TRUE(app.isLoaded("frmRemoveEvent"));
    EXPECT_TRUE(app.loadedForm("frmRemoveEvent")->visible());
}

TEST_F(BoardCommandsTest, HelpOpensTheMainTopic_RightClickPopsTheBoardsMenu) {
    ASSERT_TRUE(click(board().mnuHelpHelp));
    EXPECT_EQ(world.transcript.back(),
              R"(help file="/orvane\\ovproj.chm" topic="orvhlp\\main.htm")");
    world.transcript.clear();
    ASSERT_TRUE(rightClick(board().lblTime[4]));
    ASSERT_TRUE(rightClick(board().cmdDown));
    ASSERT_TRUE(rightClick(board()));
    EXPECT_EQ(world.transcript, std::vector<std::string>(3, "popup frmEventTimers.mnuPopUp"));
    ASSERT_TRUE(click(board().mnuRTHelp));
    EXPECT_EQ(world.transcript.size(), 4u);
}

TEST_F(BoardCommandsTest, HidingTheBoardLeavesOnlyTheCountUpRunning_AndNeverStopsTheMainCount) {
    frmEventTimers& b = board();
    EXPECT_TRUE(b.tmrCount.enabled());
    EXPECT_TRUE(b.tmrActions.enabled());

    advance(2s); // the tooltips are refreshed once, five seconds after loading
    clockMidSecond("2001-05-03 10:20:00");
    for (int round = 0; round < 3; ++round) {
        ASSERT_TRUE(click(round % 2 ? b.mnuFileHide : b.mnuRTHideEvents));
        EXPECT_FALSE(b.visible());
        EXPECT_EQ(main().cmdShowTimers.caption(), "Show Event Timers");
        EXPECT_EQ(main().mnuShowTimers.caption(), "Show Event Timers");
        EXPECT_EQ(main().mnuRtShowTimers.caption(), "Show Event Timers");
        EXPECT_FALSE(b.tmrCount.enabled());
        EXPECT_FALSE(b.tmrActions.enabled());
        EXPECT_FALSE(b.tmrToolTips.enabled());
        EXPECT_TRUE(b.tmrTPlusCount.enabled());
        advance(1s);
        EXPECT_TRUE(main().tmrCountdown.enabled());

        ASSERT_TRUE(click(main().mnuShowTimers));
        EXPECT_TRUE(b.visible());
        EXPECT_EQ(main().cmdShowTimers.caption(), "Hide Event Timers");
        EXPECT_EQ(main().mnuRtShowTimers.caption(), "Hide Event Timers");
        EXPECT_TRUE(b.tmrCount.enabled());
        EXPECT_TRUE(b.tmrActions.enabled());
        advance(1s);
    }
    EXPECT_EQ(main().lblMinutes.caption(), "09");
    EXPECT_EQ(main().lblSeconds.caption(), "54");
}

TEST_F(BoardCommandsTest, TheCloseButtonNeverClosesTheBoard) {
    closeButton(board());
    EXPECT_TRUE(app.isLoaded("frmEventTimers"));
    EXPECT_TRUE(board().visible());
}

} // namespace
} // namespace orvane::test
