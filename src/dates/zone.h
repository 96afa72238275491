#pragma once

// Real instants, and the time zone rules that turn the local wall times users type, see and
// store into them and back. Counts are differences of instants, so they run one second per
// second across a change of daylight saving time. The rules are the system's zone database.

#include "dates/datetime.h"

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace date {
class time_zone;
}

namespace orvane {

// A moment in real time, to the whole second: seconds since 1970-01-01 00:00:00 UTC.
class Instant {
  public:
    constexpr Instant() = default;
    static constexpr Instant fromUnixSeconds(std::int64_t s) {
        Instant i;
        i.m_secs = s;
        return i;
    }
    constexpr std::int64_t unixSeconds() const { return m_secs; }
    constexpr Instant addSeconds(std::int64_t s) const { return fromUnixSeconds(m_secs + s); }

    constexpr auto operator<=>(const Instant&) const = default;

  private:
    std::int64_t m_secs = 0;
};

// The real time from one instant to another, in whole seconds: to - from.
inline std::int64_t secondsBetween(Instant from, Instant to) {
    return to.unixSeconds() - from.unixSeconds();
}

// Which of the two instants an ambiguous wall time names: the clocks going back show each
// wall time of the repeated hour twice.
enum class Occurrence { First, Second };

// A local wall time as the program keeps it: the wall time users see and store, and which
// occurrence it is should the clocks go back over it. A time read from a text means its first
// occurrence; one the program works out from an instant knows which it is.
struct LocalTime {
    DateTime wall;
    Occurrence occurrence = Occurrence::First;
    bool operator==(const LocalTime&) const = default;
};

// The local time a text names: its first occurrence, unless it still names the wall time of
// BEFORE, whose occurrence it keeps (a caption the program stamped, read afresh). Empty when
// the text is not a date-time.
std::optional<LocalTime> readLocalTime(std::string_view text,
                                       const std::optional<LocalTime>& before = std::nullopt);

// What a local wall time is in a zone.
struct WallTimeMeaning {
    enum class Kind {
        Unique,    // it happens once
        Ambiguous, // the clocks went back over it: it happens twice
        Skipped,   // the clocks went forward over it: it never happens
    };
    Kind kind = Kind::Unique;
    // The instant it names: for an ambiguous time its first occurrence; for a skipped one the
    // instant it would have been had the clocks not yet gone forward (the same instant as the
    // wall time the length of the gap later).
    Instant instant;
    // For an ambiguous time its second occurrence; else the same as instant.
    Instant secondInstant;
    // For a skipped time: the first wall time skipped and the wall time the clocks jumped to
    // ("2:00:00 AM" and "3:00:00 AM" when the clocks go forward at 2 AM).
    DateTime gapStart;
    DateTime gapEnd;
};

// A time zone of the system's zone database. Cheap to copy.
class TimeZone {
  public:
    // Coordinated Universal Time.
    static TimeZone utc();
    // The zone of that name ("America/New_York", "Europe/Berlin", "UTC"); empty when the
    // system's zone database does not know it.
    static std::optional<TimeZone> named(std::string_view name);
    // The computer's zone as set now: the TZ variable when it names a zone, else the
    // system's setting. Read afresh at each call, so a change of zone is seen at once.
    static TimeZone current();

    std::string name() const;

    WallTimeMeaning meaning(DateTime wall) const;
    // The instant a local wall time names (see WallTimeMeaning::instant); for an ambiguous
    // time the occurrence asked for.
    Instant toInstant(DateTime wall, Occurrence which = Occurrence::First) const;
    // The local wall time at an instant.
    DateTime toWall(Instant at) const;
    // Which occurrence of its wall time an instant is: Second only in the hour that repeats,
    // the second time round.
    Occurrence occurrenceOf(Instant at) const;
    LocalTime toLocal(Instant at) const { return {toWall(at), occurrenceOf(at)}; }
    Instant toInstant(const LocalTime& t) const { return toInstant(t.wall, t.occurrence); }

    bool operator==(const TimeZone&) const = default;

  private:
    explicit TimeZone(const date::time_zone* zone) : m_zone(zone) {}
    // Zones live as long as the program's copy of the database.
    const date::time_zone* m_zone;
};

// The message that refuses a skipped wall time: it names the time, the zone and the span of
// wall time the clocks skipped.
std::string skippedTimeMessage(DateTime wall, const WallTimeMeaning& skipped, const TimeZone& zone);
// The same words without the request to choose another time, for a file's launch time.
std::string skippedTimeText(DateTime wall, const WallTimeMeaning& skipped, const TimeZone& zone);

} // namespace orvane
