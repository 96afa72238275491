#include "support/app_fixture.h"

namespace orvane::test {
namespace {

// The launch time panel on the full screen, ten minutes before the design launch time.
class EntryTest : public AppTest {
  protected:
    void SetUp() override {
        clockAt("2001-05-03 10:19:57");
        startAndSettle();
        ASSERT_TRUE(click(main().control<CommandButton>("cmdAccess")));
    }

    // Presses Set Launch Time, answers the box that comes up and gives its title: the
    // question when the entry is taken (answered No), else the refusal (OK).
    std::string pressSet(bool taken) {
        answer(taken ? Answer::No : Answer::OK);
        click(main().control<CommandButton>("cmdSet"));
        return lastMessage().title;
    }
};

struct EntryCase {
    const char* name;
    const char* text;
    bool taken;
};

class DateTextTest : public EntryTest, public ::testing::WithParamInterface<EntryCase> {};

// Regression: the general date parsing also reads a time alone or a date with a time, which
// used to pass as the launch date and give a launch time that was not the one entered.
TEST_P(DateTextTest, OnlyADateAloneIsALaunchDate) {
    type(main().control<TextBox>("txtLaunchDate"), GetParam().text);
    EXPECT_EQ(pressSet(GetParam().taken), GetParam().taken ? "Set Launch Time" : "Invalid Date");
    EXPECT_EQ(main().control<Label>("lblTarget").caption(), "May 3, 2001   10:30:00 AM");
}

INSTANTIATE_TEST_SUITE_P(Texts, DateTextTest,
                         ::testing::Values(EntryCase{"MonthName", "May 4, 2001", true},
                                           EntryCase{"Slashed", "5/3/2001", true},
                                           EntryCase{"Iso", "2001-05-03", true},
                                           EntryCase{"WithWeekday", "Thursday, May 3, 2001", true},
                                           EntryCase{"TimeAlone", "10:30", false},
                                           EntryCase{"DateAndTime", "May 3, 2001 10:30", false},
                                           EntryCase{"GeneralDate", "5/3/2001 10:30:00 AM", false},
                                           EntryCase{"NoSuchDay", "Feb 29, 2001", false},
                                           EntryCase{"Empty", "", false}),
                         [](const auto& info) { return info.param.name; });

class TimeTextTest : public EntryTest, public ::testing::WithParamInterface<EntryCase> {};

// Regression: the time boxes are free text; anything but a whole number in range used to
// reach the date arithmetic.
TEST_P(TimeTextTest, TheHourBoxTakesWholeHoursOfTheDay) {
    type(main().control<TextBox>("txtHours"), GetParam().text);
    EXPECT_EQ(pressSet(GetParam().taken), GetParam().taken ? "Set Launch Time" : "Invalid Time");
}

INSTANTIATE_TEST_SUITE_P(
    Texts, TimeTextTest,
    ::testing::Values(EntryCase{"Midnight", "0", true}, EntryCase{"LastHour", "23", true},
                      EntryCase{"Blanks", " 7 ", true}, EntryCase{"PastTheDay", "24", false},
                      EntryCase{"Negative", "-1", false}, EntryCase{"Empty", "", false},
                      EntryCase{"Fraction", "1.5", false}, EntryCase{"Trailing", "7a", false},
                      EntryCase{"Huge", "99999999999999999999", false}),
    [](const auto& info) { return info.param.name; });

TEST_F(EntryTest, MinutesAndSecondsStopAt59) {
    type(main().control<TextBox>("txtMinutes"), "59");
    type(main().control<TextBox>("txtSeconds"), "59");
    EXPECT_EQ(pressSet(true), "Set Launch Time");
    type(main().control<TextBox>("txtSeconds"), "60");
    EXPECT_EQ(pressSet(false), "Invalid Time");
    type(main().control<TextBox>("txtSeconds"), "0");
    type(main().control<TextBox>("txtMinutes"), "60");
    EXPECT_EQ(pressSet(false), "Invalid Time");
}

} // namespace
} // namespace orvane::test
