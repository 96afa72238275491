#include "wizard_fixture.h"

namespace orvane::test {
namespace {

using WizardFlowTest = WizardTest;

TEST_F(WizardFlowTest, WithAllTenAssignedNothingIsSelected_AndNextSaysSo) {
    for (int n = 0; n < 10; ++n)
        assign(n, "+", 60 * (n + 1), "E" + std::to_string(n));
    openWizard();
    EXPECT_EQ(selectedNumber(), -1);
    answer(Answer::OK);
    click(number().cmdNext);
    EXPECT_EQ(lastMessage().text, "You must select an Event Timer.");
    EXPECT_EQ(lastMessage().icon, Icon::Exclamation);
    EXPECT_EQ(lastMessage().buttons, Buttons::OK);
    EXPECT_EQ(lastMessage().title, "Orvane");
    EXPECT_TRUE(number().visible());
    EXPECT_FALSE(app.isLoaded("frmETWIZLabel"));
}

TEST_F(WizardFlowTest, TheEraseQuestionQuotesTheRowName_AndCancelStaysWithTheChoice) {
    assign(4, "-", 60, "Old");
    openWizard();
    click(number().optNumber[4]);
    answer(Answer::Cancel);
    click(number().cmdNext);
    EXPECT_EQ(lastMessage().text, "This will erase any data in the 'Old' Event Timer.");
    EXPECT_EQ(lastMessage().buttons, Buttons::OKCancel);
    EXPECT_TRUE(number().visible());
    EXPECT_TRUE(number().optNumber[4].value());
    EXPECT_EQ(messageCount(), 1u);
    EXPECT_EQ(record().plusText(4), "-") << "nothing is erased by the question";

    answer(Answer::OK);
    click(number().cmdNext);
    EXPECT_FALSE(number().visible());
    EXPECT_TRUE(label().visible());
}

// Guards against a name the launch data file could not read back, and against an empty
// name; a blank name is a name.
TEST_F(WizardFlowTest, TheNamePageRefusesAnEmptyNameAndADoubleQuote_ButTakesABlank) {
    answer(Answer::OK);
    pickAndName(0, "");
    EXPECT_EQ(lastMessage().text, "You must enter a name for this event.");
    EXPECT_TRUE(label().visible());

    answer(Answer::OK);
    type(label().txtName, "Max \"Q\"");
    click(label().cmdNext);
    EXPECT_EQ(lastMessage().text, "An event name cannot contain the character \".");
    EXPECT_EQ(lastMessage().icon, Icon::Exclamation);
    EXPECT_EQ(lastMessage().title, "Orvane");
    EXPECT_TRUE(label().visible());
    EXPECT_FALSE(app.isLoaded("frmETWIZChoice"));

    type(label().txtName, " ");
    click(label().cmdNext);
    EXPECT_TRUE(choice().visible());
}

TEST_F(WizardFlowTest, ChoosingDateAndTimeDiscardsTheMissionTimePath) {
    pickAndName(0, "Burn");
    missionTime(true, 1, 2, 3, 4);
    click(met().cmdBack);
    click(plus().cmdBack);
    click(choice().optClock);
    click(choice().cmdNext);
    EXPECT_TRUE(date().visible());
    EXPECT_FALSE(app.isLoaded("frmETWIZPlus"));
    EXPECT_FALSE(app.isLoaded("frmETWIZMET"));

    click(date().cmdBack);
    click(choice().optMET);
    click(choice().cmdNext);
    EXPECT_FALSE(app.isLoaded("frmETWIZDate"));
    EXPECT_TRUE(plus().optTPlus.value()) << "back with its design values";
    click(plus().cmdNext);
    EXPECT_EQ(met().mission.txtDaysSim.text(), "000");
    EXPECT_EQ(met().mission.txtSecondsSim.text(), "00");
}

TEST_F(WizardFlowTest, CancelOnAnyPageEndsTheWizard_AndChangesNoEvent) {
    assign(2, "-", 300, "Arm");
    for (int pages = 1; pages <= 5; ++pages) {
        openWizard();
        EXPECT_FALSE(board().enabled());
        Control* cancel = &number().cmdCancel;
        if (pages > 1) {
            click(number().optNumber[2]);
            answer(Answer::OK);
            click(number().cmdNext);
            type(label().txtName, "New");
            cancel = &label().cmdCancel;
        }
        if (pages > 2) {
            click(label().cmdNext);
            cancel = &choice().cmdCancel;
        }
        if (pages > 3) {
            click(choice().cmdNext);
            click(plus().optTMinus);
            cancel = &plus().cmdCancel;
        }
        if (pages > 4) {
            click(plus().cmdNext);
            type(met().mission.vsbMinutesSim, "7");
            cancel = &met().cmdCancel;
        }
        click(*cancel);
        EXPECT_FALSE(wizardOpen()) << pages;
        EXPECT_TRUE(board().enabled()) << pages;
        EXPECT_EQ(record().plusText(2), "-");
        EXPECT_EQ(record().Secs(2), 300);
        EXPECT_EQ(board().control<Label>("lblName", 2).caption(), "Arm");
    }
}

TEST_F(WizardFlowTest, ClosingAnyPageOrTheNumberPageGoingEndsTheWholeWizard) {
    pickAndName(0, "Burn");
    click(choice().cmdNext);
    main().setEnabled(false);
    closeButton(plus());
    EXPECT_FALSE(wizardOpen());
    EXPECT_TRUE(board().enabled());
    EXPECT_TRUE(main().enabled());
    EXPECT_TRUE(record().plusText(0).empty());

    // The board, closing, takes the number page along, and that ends the wizard too.
    pickAndName(1, "Vent");
    world.scheduler.deliver([this] { app.unload(number()); });
    EXPECT_FALSE(wizardOpen());
    EXPECT_TRUE(board().enabled());
}

} // namespace
} // namespace orvane::test
