#include "board_fixture.h"

#include <cstdint>
#include <vector>

namespace orvane::test {
namespace {

// The board's stories told through the App; the scenario scripts board-*.txt tell the rest.
class BoardStoryTest : public BoardTest {
  protected:
    void SetUp() override {
        startAndSettle();
        showBoard();
    }
};

TEST_F(BoardStoryTest, NineScrollsReachTheEnd_TheNinthDisablesItself_AndNineMoreComeBack) {
    frmEventTimers& b = board();
    for (int press = 1; press <= 9; ++press) {
        EXPECT_TRUE(b.control<CommandButton>("cmdDown").enabled()) << press;
        ASSERT_TRUE(click(b.control<CommandButton>("cmdDown"))) << press;
        EXPECT_TRUE(b.control<CommandButton>("cmdUp").enabled()) << press;
        EXPECT_TRUE(b.control<MenuItem>("mnuScrollDown").enabled()) << press;
    }
    EXPECT_EQ(top(0), -11760);
    EXPECT_EQ(top(9), 120);
    EXPECT_FALSE(b.control<MenuItem>("mnuScrollUp").enabled());
    EXPECT_FALSE(click(b.control<CommandButton>("cmdDown")));

    for (int press = 1; press <= 9; ++press)
        ASSERT_TRUE(click(b.control<MenuItem>("mnuScrollDown"))) << press;
    EXPECT_EQ(top(0), 120);
    EXPECT_EQ(top(9), 12000);
    EXPECT_FALSE(b.control<CommandButton>("cmdUp").enabled());
    EXPECT_FALSE(b.control<MenuItem>("mnuScrollDown").enabled());
    EXPECT_TRUE(b.control<CommandButton>("cmdDown").enabled());
    EXPECT_TRUE(b.control<MenuItem>("mnuScrollUp").enabled());
}

TEST_F(BoardStoryTest, AddEventFromTheButtonDisablesTheBoard_FromTheMenuItStaysUsable) {
    ASSERT_TRUE(click(board().control<CommandButton>("cmdAdd")));
    Form* wizard = app.loadedForm("frmETWIZNumber");
    ASSERT_TRUE(wizard);
    EXPECT_TRUE(wizard->visible());
    EXPECT_FALSE(click(board().control<CommandButton>("cmdSeqEvents")))
        << "the board waits for the wizard";
    ASSERT_TRUE(click(*wizard->findControl("cmdCancel")));
    EXPECT_TRUE(board().enabled());

    ASSERT_TRUE(click(board().control<MenuItem>("mnuFileAdd")));
    ASSERT_TRUE(app.isLoaded("frmETWIZNumber"));
    EXPECT_TRUE(board().enabled());
    ASSERT_TRUE(click(board().control<MenuItem>("mnuEditRemove")));
    ASSERT_TRUE(app.isLoaded("frmRemoveEvent"));
    EXPECT_TRUE(app.loadedForm("frmRemoveEvent")->visible());
}

TEST_F(BoardStoryTest, HidingTheBoardLeavesOnlyTheCountUpRunning_AndNeverStopsTheMainCount) {
    frmEventTimers& b = board();
    advance(2s); // the tooltips are refreshed once, five seconds after loading
    clockMidSecond("2001-05-03 10:20:00");
    for (int round = 0; round < 3; ++round) {
        Control& hide = round % 2 ? static_cast<Control&>(b.control<MenuItem>("mnuFileHide"))
                                  : b.control<CommandButton>("cmdHideScreen");
        ASSERT_TRUE(click(hide));
        EXPECT_FALSE(b.visible());
        EXPECT_FALSE(b.control<Timer>("tmrCount").enabled());
        EXPECT_FALSE(b.control<Timer>("tmrActions").enabled());
        EXPECT_FALSE(b.control<Timer>("tmrToolTips").enabled());
        EXPECT_TRUE(b.control<Timer>("tmrTPlusCount").enabled());
        advance(1s);
        ASSERT_TRUE(click(main().control<MenuItem>("mnuShowTimers")));
        EXPECT_TRUE(b.control<Timer>("tmrCount").enabled());
        EXPECT_TRUE(b.control<Timer>("tmrActions").enabled());
        advance(1s);
    }
    EXPECT_TRUE(main().control<Timer>("tmrCountdown").enabled());
    EXPECT_EQ(main().control<Label>("lblMinutes").caption(), "09");
    EXPECT_EQ(main().control<Label>("lblSeconds").caption(), "54");
}

// The board's counts turn with the clock's second, so they tick once a second and not at
// their intervals; hidden, the board costs only its count up.
TEST_F(BoardStoryTest, TheBoardTicksOnceASecond_AndWhileHiddenOnlyItsCountUpTicks) {
    frmEventTimers& b = board();
    clockMidSecond("2001-05-03 10:20:00");
    auto ticksIn10s = [&] {
        const std::uint64_t before[3] = {b.control<Timer>("tmrCount").ticks(),
                                         b.control<Timer>("tmrTPlusCount").ticks(),
                                         b.control<Timer>("tmrActions").ticks()};
        advance(10s);
        return std::vector<std::uint64_t>{b.control<Timer>("tmrCount").ticks() - before[0],
                                          b.control<Timer>("tmrTPlusCount").ticks() - before[1],
                                          b.control<Timer>("tmrActions").ticks() - before[2]};
    };
    EXPECT_EQ(ticksIn10s(), (std::vector<std::uint64_t>{10, 10, 10}));
    ASSERT_TRUE(click(b.control<CommandButton>("cmdHideScreen")));
    EXPECT_EQ(ticksIn10s(), (std::vector<std::uint64_t>{0, 10, 0}));
    EXPECT_EQ(b.control<Timer>("tmrCount").interval(), 243);
    EXPECT_EQ(b.control<Timer>("tmrTPlusCount").interval(), 251);
    EXPECT_EQ(b.control<Timer>("tmrActions").interval(), 497);
}

// Resuming a hold used to switch the count down back on even while the board was hidden,
// so a hidden board kept working unseen.
TEST_F(BoardStoryTest, AHoldResumedWhileTheBoardIsHiddenLeavesItsCountDownOff) {
    frmEventTimers& b = board();
    clockMidSecond("2001-05-03 10:20:00");
    ASSERT_TRUE(click(main().control<MenuItem>("mnuHoldEnable")));
    ASSERT_TRUE(click(main().control<CommandButton>("cmdHoldResume")));
    ASSERT_TRUE(click(b.control<CommandButton>("cmdHideScreen")));
    advance(5s);
    ASSERT_TRUE(click(main().control<CommandButton>("cmdHoldResume")));
    EXPECT_FALSE(b.control<Timer>("tmrCount").enabled());
    ASSERT_TRUE(click(main().control<CommandButton>("cmdShowTimers")));
    ASSERT_TRUE(click(main().control<CommandButton>("cmdHoldResume")));
    ASSERT_TRUE(click(main().control<CommandButton>("cmdHoldResume")));
    EXPECT_TRUE(b.control<Timer>("tmrCount").enabled())
        << "a shown board counts down again on resume";
}

TEST_F(BoardStoryTest, TooltipsShowEachDefinitionOnceRefreshed_ThenTheTimerRests) {
    const frmEventTimers& b = board();
    EXPECT_EQ(b.control<Label>("lblName", 6).toolTipText(), "");
    advance(2s);
    EXPECT_EQ(b.control<Label>("lblName", 6).toolTipText(), " 0 /  00:00:00")
        << "five seconds after loading";
    EXPECT_FALSE(b.control<Timer>("tmrToolTips").enabled());
    EXPECT_EQ(b.control<Timer>("tmrToolTips").interval(), 1);

    defineEvent(6, "-", 5400);
    advance(1s);
    for (const Control* c : std::initializer_list<const Control*>{
             &b.control<PictureBox>("pctEvent", 6), &b.control<Label>("lblName", 6),
             &b.control<Label>("lblTime", 6)})
        EXPECT_EQ(c->toolTipText(), "- 0 /  01:30:00") << c->displayName();
    EXPECT_FALSE(b.control<Timer>("tmrToolTips").enabled());
}

} // namespace
} // namespace orvane::test

namespace orvane::test {
namespace {

#ifndef _GLIBCXX_ASSERTIONS
#error "the tests are built with checked indexes (ORVANE_CHECKED_ACCESS)"
#endif

// A loop over the ten events that runs one too far stops the program at the eleventh,
// instead of reading and writing whatever lies past the rows.
TEST_F(BoardTest, AnIndexPastTheTenthEventStopsTheProgram) {
    frmEventTimers& b = board();
    volatile std::size_t eleventh = 10;
    EXPECT_DEATH(b.control<Label>("lblTag", eleventh).setTag("1"), "");
    EXPECT_DEATH(b.control<PictureBox>("pctEvent", eleventh).setVisible(false), "");
}

} // namespace
} // namespace orvane::test
