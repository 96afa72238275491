#include "wizard_fixture.h"

#include <utility>

namespace orvane::test {
namespace {

using EventPanelTest = WizardTest;

std::pair<int, int> placeOf(const OptionButton& b) {
    return {b.left(), b.top()};
}

TEST_F(EventPanelTest, ButtonsStandInTimeOrder_AndEventsAtOneTimeShareAPlace) {
    assign(3, "-", 600, "Ten before");
    assign(1, "-", 60, "One before");
    assign(0, "-", 0, "At liftoff");
    assign(2, "+", 30, "After");
    openWizard();
    const auto& b = number().optNumber;
    EXPECT_EQ(placeOf(b[3]), std::make_pair(285, 360));
    EXPECT_EQ(placeOf(b[1]), std::make_pair(285, 765));
    // Event 0 and the six never defined all sit at liftoff: rank 3, and no tie-break.
    for (int n : {0, 4, 5, 6, 7, 8, 9})
        EXPECT_EQ(placeOf(b[n]), std::make_pair(285, 1170)) << n;
    EXPECT_EQ(placeOf(b[2]), std::make_pair(2235, 1980));
    EXPECT_EQ(selectedNumber(), 4) << "the first event without a row mark";
}

TEST_F(EventPanelTest, WithNoEventDefinedAllTenButtonsShareTheFirstPlace) {
    openWizard();
    for (const OptionButton& b : number().optNumber)
        EXPECT_EQ(placeOf(b), std::make_pair(285, 360)) << b.displayName();
    EXPECT_EQ(selectedNumber(), 0);
}

TEST_F(EventPanelTest, TheRemoveDialogWithNoEventAssignedOffersNothing) {
    openRemoveDialog();
    board().setEnabled(false);
    frmRemoveEvent& d = removeDialog();
    EXPECT_EQ(d.caption(), "Orvane");
    for (const OptionButton& b : d.optNumber) {
        EXPECT_FALSE(b.enabled()) << b.displayName();
        EXPECT_FALSE(b.value()) << b.displayName();
    }
    EXPECT_FALSE(click(d.optNumber[0]));
    answer(Answer::OK);
    click(d.cmdRemove);
    EXPECT_EQ(lastMessage().text, "You must select an Event Timer.");
    EXPECT_EQ(lastMessage().icon, Icon::Exclamation);
    EXPECT_TRUE(d.visible());

    click(d.cmdCancel);
    EXPECT_FALSE(app.isLoaded("frmRemoveEvent"));
    EXPECT_TRUE(board().enabled());
}

TEST_F(EventPanelTest, RemovingAnEventClearsItsRowOnly_AndTheWizardOffersItBackInItsOldPlace) {
    assign(0, "+", 60, "Keep");
    assign(1, "-", 3600, "Scrub");
    for (int n = 2; n < 10; ++n)
        assign(n, "+", 120 * n, "E" + std::to_string(n));
    board().pctEvent[1].setVisible(true);
    openRemoveDialog();
    EXPECT_TRUE(removeDialog().optNumber[1].enabled());
    click(removeDialog().optNumber[1]);

    answer(Answer::Cancel);
    click(removeDialog().cmdRemove);
    EXPECT_EQ(lastMessage().text, "This will remove the 'Scrub' Event Timer?");
    EXPECT_EQ(lastMessage().buttons, Buttons::OKCancel);
    EXPECT_TRUE(removeDialog().visible());
    EXPECT_EQ(board().pctEvent[1].tag(), "-");

    board().setEnabled(false);
    answer(Answer::OK);
    click(removeDialog().cmdRemove);
    EXPECT_FALSE(app.isLoaded("frmRemoveEvent"));
    EXPECT_TRUE(board().enabled());
    EXPECT_EQ(board().lblName[1].caption(), "Event Unassigned ");
    EXPECT_EQ(board().pctEvent[1].tag(), "");
    EXPECT_FALSE(board().pctEvent[1].visible());
    EXPECT_EQ(record().plusText(1), "-");
    EXPECT_EQ(record().Secs(1), 3600);

    // The trailing space of the cleared name shows in the question, between the quotes.
    openWizard();
    EXPECT_EQ(selectedNumber(), 1);
    EXPECT_EQ(placeOf(number().optNumber[1]), std::make_pair(285, 360));
    answer(Answer::OK);
    click(number().cmdNext);
    EXPECT_EQ(lastMessage().text,
              "This will erase any data in the 'Event Unassigned ' Event Timer.");
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
    EXPECT_EQ(board().pctEvent[0].tag(), "+");
}

} // namespace
} // namespace orvane::test
