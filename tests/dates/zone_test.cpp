#include "dates/zone.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace orvane {
namespace {

DateTime at(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
    return DateTime::fromParts(y, mo, d, h, mi, s).value();
}

TimeZone zone(const char* name) {
    const std::optional<TimeZone> z = TimeZone::named(name);
    EXPECT_TRUE(z.has_value()) << name;
    return z.value_or(TimeZone::utc());
}

// An instant written as the UTC wall time it is.
std::string utcText(Instant i) {
    return formatDate(TimeZone::utc().toWall(i), "yyyy-mm-dd hh:nn:ss");
}

using Kind = WallTimeMeaning::Kind;

TEST(TimeZoneRules, WallTimesAroundEachChangeNameTheRightInstant) {
    struct Row {
        const char* zone;
        DateTime wall;
        Kind kind;
        const char* utc;
    };
    const Row rows[] = {
        // New York goes forward at 2 AM on March 8, 2026 and back at 2 AM on November 1.
        {"America/New_York", at(2026, 3, 8, 1, 59, 59), Kind::Unique, "2026-03-08 06:59:59"},
        {"America/New_York", at(2026, 3, 8, 2, 30), Kind::Skipped, "2026-03-08 07:30:00"},
        {"America/New_York", at(2026, 3, 8, 3, 0), Kind::Unique, "2026-03-08 07:00:00"},
        {"America/New_York", at(2026, 11, 1, 0, 59, 59), Kind::Unique, "2026-11-01 04:59:59"},
        {"America/New_York", at(2026, 11, 1, 1, 30), Kind::Ambiguous, "2026-11-01 05:30:00"},
        {"America/New_York", at(2026, 11, 1, 2, 0), Kind::Unique, "2026-11-01 07:00:00"},
        // Berlin goes forward at 2 AM on March 29, 2026 and back at 3 AM on October 25.
        {"Europe/Berlin", at(2026, 3, 29, 1, 59, 59), Kind::Unique, "2026-03-29 00:59:59"},
        {"Europe/Berlin", at(2026, 3, 29, 2, 0), Kind::Skipped, "2026-03-29 01:00:00"},
        {"Europe/Berlin", at(2026, 3, 29, 3, 0), Kind::Unique, "2026-03-29 01:00:00"},
        {"Europe/Berlin", at(2026, 10, 25, 2, 0), Kind::Ambiguous, "2026-10-25 00:00:00"},
        {"Europe/Berlin", at(2026, 10, 25, 2, 59, 59), Kind::Ambiguous, "2026-10-25 00:59:59"},
        {"Europe/Berlin", at(2026, 10, 25, 3, 0), Kind::Unique, "2026-10-25 02:00:00"},
        {"UTC", at(2026, 3, 8, 2, 30), Kind::Unique, "2026-03-08 02:30:00"},
    };
    for (const Row& r : rows) {
        const WallTimeMeaning m = zone(r.zone).meaning(r.wall);
        const std::string what = std::string(r.zone) + " " + formatDate(r.wall, "General Date");
        EXPECT_EQ(m.kind, r.kind) << what;
        EXPECT_EQ(utcText(m.instant), r.utc) << what;
    }
}

// The same wall time read in one zone and then another, and read again, keeps each zone's
// meaning: answers kept for the readings made many times a second are kept per zone and time.
TEST(TimeZoneRules, AWallTimeReadAgainInAnotherZoneMeansThatZonesInstant) {
    const DateTime wall = at(2026, 11, 1, 1, 30);
    const TimeZone newYork = zone("America/New_York"), berlin = zone("Europe/Berlin");
    for (int round = 0; round < 3; ++round) {
        EXPECT_EQ(utcText(newYork.toInstant(wall)), "2026-11-01 05:30:00") << round;
        EXPECT_EQ(utcText(newYork.toInstant(wall, Occurrence::Second)), "2026-11-01 06:30:00");
        EXPECT_EQ(utcText(berlin.toInstant(wall)), "2026-11-01 00:30:00") << round;
        EXPECT_EQ(berlin.meaning(wall).kind, Kind::Unique);
        EXPECT_EQ(newYork.meaning(wall).kind, Kind::Ambiguous);
        // Wall times 16 seconds apart, which a small table of answers might take for one.
        EXPECT_EQ(utcText(berlin.toInstant(wall.addSeconds(16))), "2026-11-01 00:30:16");
        EXPECT_EQ(utcText(berlin.toInstant(wall.addSeconds(-16))), "2026-11-01 00:29:44");
    }
}

// A count is the real time between two instants: the day the clocks go forward is 23 hours
// long and the day they go back 25, and every second of real time shows once on the wall.
TEST(TimeZoneRules, CountsAcrossAChangeRunInRealSeconds) {
    struct Day {
        const char* zone;
        DateTime before, after;
        std::int64_t hours;
    };
    const Day days[] = {
        {"America/New_York", at(2026, 3, 7, 10), at(2026, 3, 8, 10), 23},
        {"America/New_York", at(2026, 10, 31, 10), at(2026, 11, 1, 10), 25},
        {"Europe/Berlin", at(2026, 3, 28, 10), at(2026, 3, 29, 10), 23},
        {"Europe/Berlin", at(2026, 10, 24, 10), at(2026, 10, 25, 10), 25},
    };
    for (const Day& d : days) {
        const TimeZone z = zone(d.zone);
        const Instant from = z.toInstant(d.before);
        const Instant to = z.toInstant(d.after);
        EXPECT_EQ(secondsBetween(from, to), d.hours * 3600) << d.zone;
        // Every instant around the change reads back as a wall time that names it, once the
        // occurrence is known; in the hour that repeats the first lies one hour earlier.
        for (Instant i = to.addSeconds(-10 * 3600); i <= to; i = i.addSeconds(1)) {
            const DateTime wall = z.toWall(i);
            const Occurrence which = z.occurrenceOf(i);
            ASSERT_EQ(z.toInstant(wall, which), i) << d.zone << " " << utcText(i);
            const std::int64_t back = secondsBetween(z.toInstant(wall), i);
            ASSERT_EQ(back, which == Occurrence::Second ? 3600 : 0) << d.zone << " " << utcText(i);
            ASSERT_NE(z.meaning(wall).kind, Kind::Skipped) << d.zone << " " << utcText(i);
        }
    }
}

TEST(TimeZoneRules, ASkippedTimeNamesTheHourTheClocksSkip) {
    const TimeZone ny = zone("America/New_York");
    const WallTimeMeaning m = ny.meaning(at(2026, 3, 8, 2, 30));
    ASSERT_EQ(m.kind, Kind::Skipped);
    EXPECT_EQ(m.gapStart, at(2026, 3, 8, 2, 0));
    EXPECT_EQ(m.gapEnd, at(2026, 3, 8, 3, 0));
    EXPECT_EQ(skippedTimeMessage(at(2026, 3, 8, 2, 30), m, ny),
              "March 8, 2026 2:30:00 AM does not exist in this computer's time zone "
              "(America/New_York): on March 8, 2026 the clocks go forward from 2:00:00 AM to "
              "3:00:00 AM, skipping 2:00:00 AM to 2:59:59 AM. Please choose another time.");
}

TEST(TimeZoneRules, ZonesAreFoundByNameAndTheComputersZoneFollowsTZ) {
    EXPECT_FALSE(TimeZone::named("Nowhere/Atlantis").has_value());
    EXPECT_EQ(zone("Europe/Berlin").name(), "Europe/Berlin");
    EXPECT_EQ(TimeZone::utc().toWall(Instant::fromUnixSeconds(0)), at(1970, 1, 1));

    const char* saved = std::getenv("TZ");
    const std::optional<std::string> old = saved ? std::optional<std::string>(saved) : std::nullopt;
    setenv("TZ", ":Europe/Berlin", 1);
    EXPECT_EQ(TimeZone::current().name(), "Europe/Berlin");
    setenv("TZ", "America/New_York", 1);
    EXPECT_EQ(TimeZone::current(), zone("America/New_York"));
    if (old)
        setenv("TZ", old->c_str(), 1);
    else
        unsetenv("TZ");
}

} // namespace
} // namespace orvane
