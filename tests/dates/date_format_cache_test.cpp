// Dates are formatted many times a second, so recent patterns are kept split into their parts
// and texts are built in a buffer. These tests guard against a kept pattern being used for
// another and against texts that outgrow the buffer.

#include "dates/datetime.h"

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
