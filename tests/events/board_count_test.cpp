#include "board_fixture.h"

namespace orvane::test {
namespace {

// The launch is at the design time, May 3, 2001 10:30:00 AM, in every story here.
class BoardCountTest : public BoardTest {};

TEST_F(BoardCountTest, AMinusEventCountsDown_WarnsInItsLastTenMinutes_ThenCountsUpFromItsMoment) {
    startAndSettle();
    defineEvent(2, "-", 600);
    showBoard();

    clockMidSecond("2001-05-03 10:00:00");
    EXPECT_EQ(row(2), "- 0/   00:20:00");
    EXPECT_EQ(rowColour(2), PaleRed);
    EXPECT_EQ(panelColour(2), ButtonFace);

    advance(599s); // 601 s ahead
    EXPECT_EQ(row(2), "- 0/   00:10:01");
    EXPECT_EQ(panelColour(2), ButtonFace);
    advance(1s); // 600 s ahead
    EXPECT_EQ(panelColour(2), PaleYellow);
    advance(539s); // 61 s ahead
    EXPECT_EQ(panelColour(2), PaleYellow);
    advance(1s); // 60 s ahead
    EXPECT_EQ(row(2), "- 0/   00:01:00");
    EXPECT_EQ(panelColour(2), Yellow);
    advance(59s);
    EXPECT_EQ(row(2), "- 0/   00:00:01");
    EXPECT_EQ(panelColour(2), Yellow);

    advance(1s); // the moment, 10:20:00
    EXPECT_EQ(row(2), "+ 0/   00:00:00");
    EXPECT_EQ(rowColour(2), LightGreen);
    EXPECT_EQ(panelColour(2), ButtonFace);
    EXPECT_EQ(board().lblTag[2].caption(), "5/3/2001 10:20:00 AM");
    advance(65s);
    EXPECT_EQ(row(2), "+ 0/   00:01:05");

    // The other rows are unassigned: their moment is the launch itself.
    EXPECT_EQ(row(0), "- 0/   00:08:55");
    EXPECT_EQ(rowColour(0), PaleRed);
}

TEST_F(BoardCountTest, APlusEventCountsDownThroughLaunchWithoutChangingSign) {
    startAndSettle();
    defineEvent(4, "+", 3600);
    showBoard();

    clockMidSecond("2001-05-03 10:29:58");
    for (const char* expected : {"- 0/   01:00:02", "- 0/   01:00:01", "- 0/   01:00:00",
                                 "- 0/   00:59:59", "- 0/   00:59:58"}) {
        EXPECT_EQ(row(4), expected);
        EXPECT_EQ(rowColour(4), PaleRed);
        advance(1s);
    }
    clockMidSecond("2001-05-03 11:30:00");
    EXPECT_EQ(row(4), "+ 0/   00:00:00");
    EXPECT_EQ(rowColour(4), LightGreen);
}

TEST_F(BoardCountTest, AnUnassignedRowCountsAsAnEventAtLaunch) {
    startAndSettle();
    showBoard();

    clockMidSecond("2001-05-03 10:29:59");
    EXPECT_EQ(row(7), "- 0/   00:00:01");
    EXPECT_EQ(panelColour(7), Yellow);
    advance(1s);
    EXPECT_EQ(row(7), "+ 0/   00:00:00");
    EXPECT_EQ(rowColour(7), LightGreen);
    EXPECT_EQ(board().lblTag[7].caption(), "5/3/2001 10:30:00 AM");
}

TEST_F(BoardCountTest, ALaterLaunchBringsBackRecentEvents_OlderOnesKeepTheirFirstMoment) {
    startAndSettle();
    defineEvent(0, "-", 600);  // 10:20, half an hour ago
    defineEvent(1, "-", 5400); // 9:00, almost two hours ago
    showBoard();
    clockMidSecond("2001-05-03 10:50:00");
    EXPECT_EQ(row(0), "+ 0/   00:30:00");
    EXPECT_EQ(row(1), "+ 0/   01:50:00");

    main().lblTarget.setCaption("May 3, 2001   11:30:00 AM");
    advance(1s);
    EXPECT_EQ(row(0), "- 0/   00:29:59");
    EXPECT_EQ(rowColour(0), PaleRed);
    EXPECT_EQ(row(1), "+ 0/   01:50:01");
    EXPECT_EQ(rowColour(1), LightGreen);

    clockMidSecond("2001-05-03 11:20:00");
    EXPECT_EQ(row(0), "+ 0/   00:00:00");
    EXPECT_EQ(board().lblTag[0].caption(), "5/3/2001 11:20:00 AM");
    EXPECT_EQ(row(1), "+ 0/   02:20:00");
}

TEST_F(BoardCountTest, WhileHiddenRowsCountUpButRowsAheadStandStill) {
    startAndSettle();
    defineEvent(0, "-", 60);   // 10:29
    defineEvent(1, "-", 1200); // 10:10
    clockMidSecond("2001-05-03 10:28:00");
    EXPECT_EQ(row(0), "000/   00:00:00");
    EXPECT_EQ(row(1), "+ 0/   00:18:00");

    advance(61s);
    EXPECT_EQ(row(0), "+ 0/   00:00:01");
    EXPECT_EQ(rowColour(0), LightGreen);
    EXPECT_EQ(row(5), "000/   00:00:00");
    EXPECT_EQ(panelColour(5), ButtonFace);
}

// Guards the hand-over at the moment: a row that was counting down when the window was hidden
// must not start counting up until the count down has seen its moment pass.
TEST_F(BoardCountTest, ARowHiddenWhileCountingDownKeepsItsMinusTextUntilShownAgain) {
    startAndSettle();
    defineEvent(3, "-", 60); // 10:29
    showBoard();
    clockMidSecond("2001-05-03 10:28:50");
    EXPECT_EQ(row(3), "- 0/   00:00:10");
    ASSERT_TRUE(click(board().cmdHideScreen));

    advance(20s);
    EXPECT_EQ(rowColour(3), LightGreen);
    EXPECT_EQ(row(3), "- 0/   00:00:10");
    EXPECT_EQ(board().lblTag[3].tag(), "2");

    showBoard();
    advance(1s);
    EXPECT_EQ(row(3), "+ 0/   00:00:11");
    EXPECT_EQ(board().lblTag[3].caption(), "5/3/2001 10:29:00 AM");
}

TEST_F(BoardCountTest, AHoldFreezesTheMinusCountsWhileTheMomentsMoveWithTheLaunch) {
    startAndSettle();
    defineEvent(0, "-", 600);  // 10:20
    defineEvent(1, "-", 3600); // 9:30, passed
    showBoard();
    clockMidSecond("2001-05-03 10:00:00");
    EXPECT_EQ(row(1), "+ 0/   00:30:00");

    ASSERT_TRUE(click(main().mnuRtHoldEnable));
    ASSERT_TRUE(click(main().cmdHoldResume));
    EXPECT_FALSE(board().tmrCount.enabled());
    advance(125s);
    EXPECT_EQ(row(0), "- 0/   00:20:00");
    EXPECT_EQ(row(1), "+ 0/   00:32:05") << "a row counting up goes on through a hold";

    ASSERT_TRUE(click(main().cmdHoldResume));
    EXPECT_TRUE(board().tmrCount.enabled());
    advance(1s);
    EXPECT_EQ(row(0), "- 0/   00:19:59");

    clockMidSecond("2001-05-03 10:22:05");
    EXPECT_EQ(row(0), "+ 0/   00:00:00");
    EXPECT_EQ(board().lblTag[0].caption(), "5/3/2001 10:22:05 AM");
}

TEST_F(BoardCountTest, TooltipsShowEachDefinitionOnceTheyAreRefreshed) {
    startAndSettle();
    const frmEventTimers& b = board();
    EXPECT_EQ(b.lblName[6].toolTipText(), "");
    advance(2s);
    EXPECT_EQ(b.lblName[6].toolTipText(), " 0 /  00:00:00") << "set 5 s after loading";
    EXPECT_FALSE(b.tmrToolTips.enabled());
    EXPECT_EQ(b.tmrToolTips.interval(), 1);

    defineEvent(6, "-", 5400);
    advance(1s);
    for (const Control* c :
         std::initializer_list<const Control*>{&b.pctEvent[6], &b.lblName[6], &b.lblTime[6]})
        EXPECT_EQ(c->toolTipText(), "- 0 /  01:30:00") << c->displayName();
    EXPECT_FALSE(b.tmrToolTips.enabled());
}

} // namespace
} // namespace orvane::test
