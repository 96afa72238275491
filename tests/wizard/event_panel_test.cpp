#include "wizard_fixture.h"

#include <utility>

namespace orvane::test {
namespace {

using EventPanelTest = WizardTest;

std::pair<int, int> placeOf(const OptionButton& b) {
    return {b.left(), b.top()};
}

// Regression: events at one time shared one place, so only the top button of the pile could be
// picked. They rank by time, then by number.
TEST_F(EventPanelTest, ButtonsStandInTimeOrder_ThenInNumberOrder) {
    assign(3, "-", 600, "Ten before");
    assign(1, "-", 60, "One before");
    assign(0, "-", 0, "At liftoff");
    assign(2, "+", 30, "After");
    openWizard();
    const auto& b = number().optNumber;
    EXPECT_EQ(placeOf(b[3]), std::make_pair(285, 360));
    EXPECT_EQ(placeOf(b[1]), std::make_pair(285, 765));
    // Event 0 and the six never defined all read liftoff: ranks 3 to 9 in number order.
    const std::pair<int, int> atLiftoff[] = {{285, 1170},  {285, 1575},  {285, 1980},
                                             {2235, 360},  {2235, 765},  {2235, 1170},
                                             {2235, 1575}};
    int rank = 0;
    for (int n : {0, 4, 5, 6, 7, 8, 9})
        EXPECT_EQ(placeOf(b[n]), atLiftoff[rank++]) << n;
    EXPECT_EQ(placeOf(b[2]), std::make_pair(2235, 1980));
    EXPECT_EQ(selectedNumber(), 4) << "the first event without a row mark";
    // Each button carries its event's name, the first as much as the others.
    EXPECT_EQ(b[0].caption(), "At liftoff");
    EXPECT_EQ(b[3].caption(), "Ten before");
    EXPECT_EQ(b[9].caption(), "Event #10");
}

TEST_F(EventPanelTest, WithNoEventDefinedTheButtonsStandInNumberOrder) {
    openWizard();
    for (int n = 0; n < 10; ++n)
        EXPECT_EQ(placeOf(number().optNumber[n]),
                  std::make_pair(n < 5 ? 285 : 2235, 360 + 405 * (n % 5)))
            << n;
    EXPECT_EQ(selectedNumber(), 0);
}

TEST_F(EventPanelTest, ClosingTheRemoveDialogGivesBothWindowsBackTheirInput) {
    assign(0, "+", 60, "Keep");
    openRemoveDialog();
    board().setEnabled(false);
    main().setEnabled(false);
    closeButton(removeDialog());
    EXPECT_FALSE(app.isLoaded("frmRemoveEvent"));
    EXPECT_TRUE(board().enabled());
    EXPECT_TRUE(main().enabled());
    EXPECT_EQ(board().control<PictureBox>("pctEvent", 0).tag(), "+");
}

} // namespace
} // namespace orvane::test
