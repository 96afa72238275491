// The date texts are read and written many times a second, so recent patterns and parses are
// kept. These tests guard against a kept result being served for a text it does not belong to.

#include "platform/datetime.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

namespace orvane {
namespace {

DateTime at(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
    return *DateTime::fromParts(y, mo, d, h, mi, s);
}

// Guards against the table of split patterns handing one pattern's parts to another: more
// patterns than the table keeps, used over and over in changing order, with patterns that
// differ only in their last letters.
TEST(DateCaches, EveryPatternKeepsItsOwnTextWhateverWasFormattedBefore) {
    const DateTime t = at(2001, 5, 3, 14, 7, 9);
    struct Row {
        const char* pattern;
        const char* expected;
    };
    const std::vector<Row> rows = {
        {"mmmm dd, yyyy   h:mm:ss AM/PM", "May 03, 2001   2:07:09 PM"},
        {"mmmm d, yyyy   h:mm:ss AM/PM", "May 3, 2001   2:07:09 PM"},
        {"mmm d, yyyy  h:mm:ss AM/PM", "May 3, 2001  2:07:09 PM"},
        {"mmm d, yyyy hh:nn:ss", "May 3, 2001 14:07:09"},
        {"mmm d, yyyy", "May 3, 2001"},
        {"h:mm:ss", "14:07:09"},
        {"h:mm:ss AM/PM", "2:07:09 PM"},
        {"h:mm:ss am/pm", "2:07:09 pm"},
        {"h:mm:ss A/P", "2:07:09 P"},
        {"hh", "14"},
        {"h", "14"},
        {"m", "5"},
        {"mm", "05"},
        {"mmm", "May"},
        {"mmmm", "May"},
        {"d", "3"},
        {"dd", "03"},
        {"ddd", "Thu"},
        {"dddd", "Thursday"},
        {"yy", "01"},
        {"yyyy", "2001"},
        {"General Date", "5/3/2001 2:07:09 PM"},
        {"Short Time", "14:07"},
    };
    for (int pass = 0; pass < 3; ++pass) {
        for (std::size_t i = 0; i < rows.size(); ++i) {
            // Forwards, backwards, then every other row, so each pass meets the table in a
            // different state.
            const std::size_t k = pass == 0   ? i
                                  : pass == 1 ? rows.size() - 1 - i
                                              : (i * 2) % rows.size();
            SCOPED_TRACE(rows[k].pattern);
            EXPECT_EQ(formatDate(t, rows[k].pattern), rows[k].expected);
        }
    }
}

// Guards against the remembered last parse being returned for a different text, and against a
// refused text being remembered as a date.
TEST(DateCaches, TextsReadInTurnEachKeepTheirOwnValue) {
    const char* launch = "May 03, 2001   10:30:00 AM";
    const char* moment = "5/3/2001 10:20:00 AM";
    for (int round = 0; round < 3; ++round) {
        EXPECT_EQ(toDateTime(launch), at(2001, 5, 3, 10, 30));
        EXPECT_EQ(toDateTime(moment), at(2001, 5, 3, 10, 20));
        EXPECT_FALSE(isDate("May 33, 2001"));
        EXPECT_EQ(toDateTime(launch), at(2001, 5, 3, 10, 30));
        EXPECT_FALSE(toDateTime("May 03, 2001   10:30:00 AMX").has_value());
    }
    // The same words with other blanks, or a text read through a longer buffer, are texts of
    // their own.
    const std::string buffer = "May 03, 2001   10:31:00 AM and more";
    EXPECT_EQ(toDateTime(std::string_view(buffer).substr(0, 26)), at(2001, 5, 3, 10, 31));
    EXPECT_EQ(toDateTime(" May 03, 2001   10:30:00 AM "), at(2001, 5, 3, 10, 30));
    // Texts too long to be kept are read afresh each time, with the same result.
    const std::string wide = "Thursday, May 03, 2001          10:30:00 AM";
    const std::string wider = "Thursday, May 03, 2001           10:31:00 AM";
    for (int round = 0; round < 2; ++round) {
        EXPECT_EQ(toDateTime(wide), at(2001, 5, 3, 10, 30));
        EXPECT_EQ(toDateTime(wider), at(2001, 5, 3, 10, 31));
        EXPECT_FALSE(isDate(wide + " x"));
    }
    const auto parsed = parseDateText("10:30");
    ASSERT_TRUE(parsed);
    EXPECT_FALSE(parsed->hasDate);
    EXPECT_TRUE(parseDateText("May 3, 2001")->hasDate);
    EXPECT_FALSE(parseDateText("May 3, 2001")->hasTime);
}

// Guards the padding of numbers wider than the digits kept at hand, and dates longer than the
// room kept for them.
TEST(DateCaches, NumbersPadToAnyWidth) {
    const std::string fifty(50, '0');
    EXPECT_EQ(formatNumber(42, fifty), std::string(48, '0') + "42");
    EXPECT_EQ(formatNumber(-42, fifty), "-" + std::string(48, '0') + "42");
    EXPECT_EQ(formatNumber(std::numeric_limits<std::int64_t>::min(), fifty),
              "-" + std::string(31, '0') + "9223372036854775808");
    EXPECT_EQ(formatNumber(std::numeric_limits<std::int64_t>::max(), "00"), "9223372036854775807");
    EXPECT_EQ(formatNumber(-7, "000"), "-007");
    EXPECT_EQ(formatNumber(123, ""), "123");
    EXPECT_EQ(formatDate(at(9999, 12, 31, 23, 59, 59), "yyyy-mm-dd hh:nn:ss"),
              "9999-12-31 23:59:59");
    // A pattern whose text outgrows the room kept for a date's text.
    const std::string dashes(124, '-');
    EXPECT_EQ(formatDate(at(2001, 9, 3), dashes + "mmmm dd, yyyy" + dashes),
              dashes + "September 03, 2001" + dashes);
}

} // namespace
} // namespace orvane
