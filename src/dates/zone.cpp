#include "dates/zone.h"

#include "dates/date_detail.h"

#include <date/tz.h>

#include <array>
#include <chrono>
#include <cstdlib>
#include <stdexcept>

namespace orvane {

namespace {

using detail::SecondsPerDay;
using detail::ZeroDateFromUnixDays;

// A wall time counted from 1970-01-01 00:00:00 local time, as the zone rules take it.
constexpr std::int64_t localUnixSeconds(DateTime wall) {
    return wall.seconds() + ZeroDateFromUnixDays * SecondsPerDay;
}

constexpr DateTime wallOf(std::int64_t localUnix) {
    return DateTime::fromSeconds(localUnix - ZeroDateFromUnixDays * SecondsPerDay);
}

const date::time_zone* locate(std::string_view name) {
    try {
        return date::locate_zone(name);
    } catch (const std::exception&) {
        return nullptr;
    }
}

// A TZ value names a zone as ":Europe/Berlin", "Europe/Berlin" or a path to its file.
std::string_view zoneNameOfTz(std::string_view tz) {
    if (!tz.empty() && tz.front() == ':')
        tz.remove_prefix(1);
    constexpr std::string_view database = "/usr/share/zoneinfo/";
    if (tz.starts_with(database))
        tz.remove_prefix(database.size());
    return tz;
}

} // namespace

// Without a zone database (no zone found at all) a zone is UTC.
TimeZone TimeZone::utc() {
    static const date::time_zone* const zone = locate("Etc/UTC");
    return TimeZone(zone);
}

std::optional<TimeZone> TimeZone::named(std::string_view name) {
    if (const date::time_zone* zone = locate(name))
        return TimeZone(zone);
    return std::nullopt;
}

TimeZone TimeZone::current() {
    if (const char* tz = std::getenv("TZ")) {
        const std::string_view name = zoneNameOfTz(tz);
        if (name.empty())
            return utc();
        if (const date::time_zone* zone = locate(name))
            return TimeZone(zone);
    }
    try {
        return TimeZone(date::current_zone());
    } catch (const std::exception&) {
        return utc();
    }
}

std::string TimeZone::name() const {
    return m_zone ? std::string(m_zone->name()) : std::string("UTC");
}

namespace {

WallTimeMeaning meaningIn(const date::time_zone& zone, std::int64_t local) {
    WallTimeMeaning out;
    const date::local_info info = zone.get_info(date::local_seconds{std::chrono::seconds{local}});
    // Both an ambiguous time's first occurrence and a skipped time read with the offset in
    // force before the change.
    out.instant = Instant::fromUnixSeconds(local - info.first.offset.count());
    out.secondInstant = out.instant;
    switch (info.result) {
    case date::local_info::unique:
        break;
    case date::local_info::ambiguous:
        out.kind = WallTimeMeaning::Kind::Ambiguous;
        out.secondInstant = Instant::fromUnixSeconds(local - info.second.offset.count());
        break;
    case date::local_info::nonexistent: {
        out.kind = WallTimeMeaning::Kind::Skipped;
        const std::int64_t change = info.second.begin.time_since_epoch().count();
        out.gapStart = wallOf(change + info.first.offset.count());
        out.gapEnd = wallOf(change + info.second.offset.count());
        break;
    }
    }
    return out;
}

} // namespace

WallTimeMeaning TimeZone::meaning(DateTime wall) const {
    const std::int64_t local = localUnixSeconds(wall);
    WallTimeMeaning out;
    if (!m_zone) {
        out.instant = out.secondInstant = Instant::fromUnixSeconds(local);
        return out;
    }
    // The launch time and the events' moments are read in their zone many times a second, and
    // a zone's rules never change while the program runs: the answers, kept on each thread for
    // a few wall times, serve again.
    struct Kept {
        const date::time_zone* zone = nullptr;
        std::int64_t local = 0;
        WallTimeMeaning meaning;
    };
    thread_local std::array<Kept, 16> kept;
    Kept& slot = kept[std::size_t(local) % kept.size()];
    if (slot.zone == m_zone && slot.local == local)
        return slot.meaning;
    out = meaningIn(*m_zone, local);
    slot = {m_zone, local, out};
    return out;
}

Instant TimeZone::toInstant(DateTime wall, Occurrence which) const {
    const WallTimeMeaning m = meaning(wall);
    return which == Occurrence::Second ? m.secondInstant : m.instant;
}

Occurrence TimeZone::occurrenceOf(Instant at) const {
    const WallTimeMeaning m = meaning(toWall(at));
    return m.kind == WallTimeMeaning::Kind::Ambiguous && at == m.secondInstant ? Occurrence::Second
                                                                               : Occurrence::First;
}

DateTime TimeZone::toWall(Instant at) const {
    const std::int64_t utc = at.unixSeconds();
    if (!m_zone)
        return wallOf(utc);
    const date::sys_info info = m_zone->get_info(date::sys_seconds{std::chrono::seconds{utc}});
    return wallOf(utc + info.offset.count());
}

std::optional<LocalTime> readLocalTime(std::string_view text,
                                       const std::optional<LocalTime>& before) {
    const std::optional<DateTime> wall = toDateTime(text);
    if (!wall)
        return std::nullopt;
    if (before && before->wall == *wall)
        return before;
    return LocalTime{*wall};
}

std::string skippedTimeText(DateTime wall, const WallTimeMeaning& skipped, const TimeZone& zone) {
    constexpr std::string_view dateTime = "mmmm d, yyyy h:mm:ss AM/PM";
    const DateTime lastSkipped = skipped.gapEnd.addSeconds(-1);
    std::string change;
    if (skipped.gapStart.date() == lastSkipped.date())
        change = "on " + formatDate(skipped.gapStart, "mmmm d, yyyy") +
                 " the clocks go forward from " + formatDate(skipped.gapStart, "h:mm:ss AM/PM") +
                 " to " + formatDate(skipped.gapEnd, "h:mm:ss AM/PM") + ", skipping " +
                 formatDate(skipped.gapStart, "h:mm:ss AM/PM") + " to " +
                 formatDate(lastSkipped, "h:mm:ss AM/PM");
    else
        change = "the clocks go forward from " + formatDate(skipped.gapStart, dateTime) + " to " +
                 formatDate(skipped.gapEnd, dateTime) + ", skipping " +
                 formatDate(skipped.gapStart, dateTime) + " to " +
                 formatDate(lastSkipped, dateTime);
    return formatDate(wall, dateTime) + " does not exist in this computer's time zone (" +
           zone.name() + "): " + change;
}

std::string skippedTimeMessage(DateTime wall, const WallTimeMeaning& skipped,
                               const TimeZone& zone) {
    return skippedTimeText(wall, skipped, zone) + ". Please choose another time.";
}

} // namespace orvane
