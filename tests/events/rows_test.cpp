// The board's own operations on its rows, as the wizard, Remove Event, Remove All and a launch
// data file use them.

#include "board_fixture.h"

namespace orvane::test {
namespace {

class RowsTest : public BoardTest {
  protected:
    void SetUp() override {
        startAndSettle();
        showBoard();
    }
};

// A redefined event counts from its new moment: without the count starting afresh, a row that
// had passed its old moment kept counting up from it.
TEST_F(RowsTest, DefineClearAndRedefine_TheRowCountsFromItsNewMoment) {
    frmEventTimers& b = board();
    clockMidSecond("2001-05-03 10:29:30");
    b.DefineEvent(1, "Ignition", "-", 60);
    advance(1s);
    EXPECT_EQ(b.control<Label>("lblTag", 1).tag(), "1");
    EXPECT_EQ(b.control<Label>("lblTag", 1).caption(), "5/3/2001 10:29:00 AM");
    EXPECT_EQ(b.control<Label>("lblName", 1).caption(), "Ignition");
    EXPECT_TRUE(b.control<PictureBox>("pctEvent", 1).visible());
    EXPECT_EQ(b.control<PictureBox>("pctEvent", 1).tag(), "-");

    // Clearing hides the row and leaves the record and the count as they were.
    b.DefineEvent(1, "Event Unassigned ", "", 999);
    EXPECT_EQ(b.control<Label>("lblName", 1).caption(), "Event Unassigned ");
    EXPECT_FALSE(b.control<PictureBox>("pctEvent", 1).visible());
    EXPECT_EQ(b.control<PictureBox>("pctEvent", 1).tag(), "");
    EXPECT_EQ(b.EventData().Secs(1), 60);
    EXPECT_EQ(b.EventData().plusText(1), "-");
    EXPECT_EQ(b.control<Label>("lblTag", 1).tag(), "1");

    b.DefineEvent(1, "Tower clear", "-", 40);
    advance(1s);
    EXPECT_EQ(b.control<Label>("lblTag", 1).caption(), "5/3/2001 10:29:20 AM");

    b.DefineEvent(1, "Main engine start", "-", 8);
    EXPECT_TRUE(b.control<PictureBox>("pctEvent", 1).visible());
    EXPECT_EQ(b.EventData().signedOffset(1), -8);
    advance(1s);
    EXPECT_EQ(b.control<Label>("lblTag", 1).tag(), "2") << "counting down to 10:29:52";
    advance(21s);
    EXPECT_EQ(b.control<Label>("lblTag", 1).tag(), "1");
    EXPECT_EQ(b.control<Label>("lblTag", 1).caption(), "5/3/2001 10:29:52 AM");
}

// A launch data file sets each row as it was saved, shown or not, and the row counts afresh.
TEST_F(RowsTest, ARestoredRowKeepsItsVisibility_AndShowingTheBoardShowsEveryMarkedRow) {
    frmEventTimers& b = board();
    clockMidSecond("2001-05-03 10:20:00");
    b.EventData().setPlus(4, "+");
    b.EventData().setSecs(4, 120);
    b.RestoreEventRow(4, "Tower clear", "+", false);
    b.RestoreEventRow(5, "Event Unassigned", "", false);
    EXPECT_FALSE(b.control<PictureBox>("pctEvent", 4).visible());
    EXPECT_EQ(b.control<Label>("lblName", 4).caption(), "Tower clear");
    EXPECT_EQ(b.control<Label>("lblTag", 4).tag(), "");
    EXPECT_TRUE(b.control<Timer>("tmrToolTips").enabled());
    advance(2s); // the tooltips are first refreshed five seconds after loading
    EXPECT_EQ(b.control<PictureBox>("pctEvent", 4).toolTipText(), "+ 0 /  00:02:00");

    ASSERT_TRUE(click(b.control<CommandButton>("cmdHideScreen")));
    ASSERT_TRUE(click(main().control<CommandButton>("cmdShowTimers")));
    EXPECT_TRUE(b.control<PictureBox>("pctEvent", 4).visible());
    EXPECT_FALSE(b.control<PictureBox>("pctEvent", 5).visible())
        << "a row without a mark stays hidden";
}

// Whoever writes the launch time's caption moves the count and every event with it.
TEST_F(RowsTest, ANewLaunchCaptionMovesTheCountAndTheEventsAtTheNextTick) {
    frmEventTimers& b = board();
    clockMidSecond("2001-05-03 10:20:00");
    defineEvent(0, "-", 60);
    main().control<Label>("lblTarget").setCaption("May 3, 2001   11:30:00 AM");
    EXPECT_EQ(main().launchTime(), at("2001-05-03 11:30:00"));
    advance(1s);
    EXPECT_EQ(main().control<Label>("lblHours").caption(), "01");
    EXPECT_EQ(main().control<Label>("lblMinutes").caption(), "09");
    EXPECT_EQ(b.EventData().signedOffset(0), -60);
    EXPECT_EQ(b.control<Label>("lblTag", 0).tag(), "2");

    main().control<Label>("lblTarget").setCaption("not a date");
    EXPECT_FALSE(main().hasLaunchTime());
    main().control<Label>("lblTarget").setCaption("May 3, 2001   10:30:00 AM");
    EXPECT_TRUE(main().hasLaunchTime());
}

// A script writes a row's controls as the program's code would: each new mark, name and
// captured moment becomes the board's, which the record, the count and other windows then
// read; a captured moment's caption stays as the script wrote it.
TEST_F(RowsTest, AScriptsEditsOfARowBecomeTheBoards) {
    frmEventTimers& b = board();
    clockMidSecond("2001-05-03 10:29:30");
    ASSERT_TRUE(b.control<PictureBox>("pctEvent", 3).setProperty("Tag", "+").ok);
    ASSERT_TRUE(b.control<Label>("lblName", 3).setProperty("Caption", "Scrub").ok);
    EXPECT_TRUE(b.isAssigned(3));
    EXPECT_EQ(b.row(3).direction, Direction::After);
    EXPECT_EQ(b.eventName(3), "Scrub");
    EXPECT_EQ(b.EventData().Plus(3), Variant("+"));

    b.DefineEvent(1, "Ignition", "-", 60);
    advance(1s);
    EXPECT_EQ(b.control<Label>("lblTime", 1).caption(), "+ 0/   00:00:31");
    ASSERT_TRUE(b.control<Label>("lblTag", 1).setProperty("Caption", "May 3, 2001 10:28:00").ok);
    advance(1s);
    EXPECT_EQ(b.control<Label>("lblTime", 1).caption(), "+ 0/   00:01:32");
    EXPECT_EQ(b.control<Label>("lblTag", 1).caption(), "May 3, 2001 10:28:00");

    ASSERT_TRUE(b.control<PictureBox>("pctEvent", 3).setProperty("Tag", "").ok);
    EXPECT_FALSE(b.isAssigned(3));
    EXPECT_EQ(b.EventData().Plus(3), Variant("+")) << "the record keeps a removed direction";
}

} // namespace
} // namespace orvane::test
