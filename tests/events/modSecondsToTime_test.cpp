#include "events/modSecondsToTime.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace orvane {
namespace {

struct TimeCase {
    const char* name;
    std::int64_t secs;
    bool plus;
    const char* text;
};

TEST(SecondsToTime, DaysWithoutLeadingZerosThenTheTimeOfDay) {
    const TimeCase cases[] = {
        {"a day and a bit", 93784, true, "+ 1/   02:03:04"},
        {"under a minute", -59, false, "- 0/   00:00:59"},
        {"zero", 0, true, "+ 0/   00:00:00"},
        {"a hundred days", 8640000, false, "- 100/   00:00:00"},
        {"last second of a day", 86399, true, "+ 0/   23:59:59"},
        {"first second of the next day", 86400, true, "+ 1/   00:00:00"},
        // The sign comes from the flag alone, whatever the sign of the seconds.
        {"negative counted up", -3661, true, "+ 0/   01:01:01"},
        {"positive counted down", 3661, false, "- 0/   01:01:01"},
        // Guards the overflow of taking the magnitude of the most negative 32-bit number.
        {"most negative 32-bit", std::numeric_limits<std::int32_t>::min(), false,
         "- 24855/   03:14:08"},
        // Guards a launch more than 68 years away wrapping round in 32 bits.
        {"seventy years", 25567LL * 86400 + 5, false, "- 25567/   00:00:05"},
    };
    for (const TimeCase& c : cases)
        EXPECT_EQ(SecondsToTime(c.secs, c.plus), c.text) << c.name;
}

struct ToolTipCase {
    const char* name;
    std::int32_t secs;
    const char* sign;
    const char* text;
};

TEST(EventDefinitionText, SignDaysAndTimeOfTheOffset) {
    const ToolTipCase cases[] = {
        {"after launch", 90061, "+", "+ 1 /  01:01:01"},
        {"before launch", 5400, "-", "- 0 /  01:30:00"},
        {"never set", 0, "", " 0 /  00:00:00"},
        // Parts are taken towards zero, so a negative offset shows negative parts.
        {"negative offset", -90061, "+", "+ -1 /  -01:-01:-01"},
        {"negative under an hour", -5400, "-", "- 0 /  -01:-30:00"},
    };
    for (const ToolTipCase& c : cases)
        EXPECT_EQ(EventDefinitionText(c.secs, c.sign), c.text) << c.name;
}

} // namespace
} // namespace orvane
