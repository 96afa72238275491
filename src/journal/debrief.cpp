#include "journal/debrief.h"

#include "dates/datetime.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace orvane {

namespace {

// Seconds from the zero date-time to 1970-01-01.
constexpr std::int64_t UnixEpochSeconds = 25569LL * 86400;

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

// The window a record tells of, in seconds: kept as such by today's program, as its text by
// journals written before.
std::optional<std::int64_t> windowSeconds(const JournalRecord& r) {
    const std::string kept = r.detail("window-s");
    if (!kept.empty()) {
        char* end = nullptr;
        const long long seconds = std::strtoll(kept.c_str(), &end, 10);
        if (*end == '\0' && seconds >= 0)
            return seconds;
    }
    return clockSeconds(r.detail("window"));
}

// The instant the count shown by R reaches zero, in whole seconds as Unix ms.
std::int64_t launchSeen(const JournalRecord& r) {
    return (floorDiv(r.trueMs, 1000) + r.countSeconds) * 1000;
}

// A wall time as the journal writes it, "2026-12-07 10:30:00", as seconds of the zero date.
std::optional<std::int64_t> wallSeconds(const std::string& text) {
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    char tail = 0;
    if (std::sscanf(text.c_str(), "%d-%d-%d %d:%d:%d%c", &y, &mo, &d, &h, &mi, &s, &tail) != 6)
        return std::nullopt;
    const auto wall = DateTime::fromParts(y, mo, d, h, mi, s);
    return wall ? std::optional<std::int64_t>(wall->seconds()) : std::nullopt;
}

// How far a record moved the launch time, in seconds: its launch against the one before.
std::int64_t launchMove(const JournalRecord& r) {
    const auto from = wallSeconds(r.detail("old-launch")), to = wallSeconds(r.detail("launch"));
    return from && to ? *to - *from : 0;
}

std::string csvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string out = "\"";
    for (char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    return out + '"';
}

} // namespace

std::optional<std::int64_t> clockSeconds(const std::string& text) {
    int h = 0, m = 0, s = 0;
    char tail = 0;
    if (std::sscanf(text.c_str(), "%d:%d:%d%c", &h, &m, &s, &tail) != 3 || h < 0 || m < 0 || s < 0)
        return std::nullopt;
    return std::int64_t(h) * 3600 + m * 60 + s;
}

std::int64_t RunTotalsBuilder::endHold(std::int64_t atMs, const std::string& heldDetail) {
    m_t.heldMs += atMs - m_holdStart;
    std::int64_t held = floorDiv(atMs - m_holdStart, 1000);
    if (!heldDetail.empty())
        held = std::strtoll(heldDetail.c_str(), nullptr, 10);
    m_t.heldSeconds += held;
    m_holding = false;
    return held;
}

void RunTotalsBuilder::add(const JournalRecord& r) {
    m_lastMs = r.trueMs;
    // The plan is the launch time the run began with: after the start, its file or its first
    // launch time.
    if (m_inPlan) {
        if (r.kind != "start" && r.kind != "file-read" && r.kind != "launch-time" &&
            m_t.plannedLaunchMs)
            m_inPlan = false;
        else
            m_t.plannedLaunchMs = launchSeen(r);
    }
    if (r.kind == "hold") {
        ++m_t.holds;
        m_holding = true;
        m_holdStart = r.trueMs;
    } else if (r.kind == "resume" && m_holding) {
        const std::int64_t held = endHold(r.trueMs, r.detail("held"));
        if (!m_t.liftoffMs)
            m_moved += held;
    } else if (r.kind == "built-in-hold") {
        ++m_t.builtInHolds;
        m_builtIn = true;
    } else if (r.kind == "built-in-hold-end" && m_builtIn) {
        m_builtIn = false;
        const std::int64_t actual = clockSeconds(r.detail("actual")).value_or(0);
        const std::int64_t planned = clockSeconds(r.detail("planned")).value_or(actual);
        m_t.builtInSeconds += actual;
        m_t.builtInPlannedSeconds += planned;
        if (!m_t.liftoffMs)
            m_moved += actual - planned;
    } else if (r.kind == "launch-time" && !m_inPlan && !m_t.liftoffMs) {
        m_moved += launchMove(r);
    } else if (r.kind == "window-set") {
        if (const auto seconds = windowSeconds(r)) {
            m_t.windowSeconds = seconds;
            m_t.windowUsedSeconds = 0;
            m_t.windowExpired = false;
        }
    } else if (r.kind == "window-expired") {
        m_t.windowExpired = true;
        if (m_t.windowSeconds)
            m_t.windowUsedSeconds = *m_t.windowSeconds;
    } else if (r.kind == "liftoff" && !m_t.liftoffMs) {
        m_t.liftoffMs = r.trueMs;
    }
    // A hold's record tells what it left of an active launch window.
    if (const std::string left = r.detail("window-left"); !left.empty() && m_t.windowSeconds)
        m_t.windowUsedSeconds =
            std::max<std::int64_t>(0, *m_t.windowSeconds - std::strtoll(left.c_str(), nullptr, 10));
}

RunTotals RunTotalsBuilder::totals() const {
    if (!m_t.plannedLaunchMs)
        return m_t;
    RunTotalsBuilder b = *this;
    // A hold still on moves the launch with it to the run's end.
    if (b.m_holding) {
        const std::int64_t held = b.endHold(m_lastMs, {});
        if (!b.m_t.liftoffMs)
            b.m_moved += held;
    }
    b.m_t.slipSeconds = b.m_moved;
    // Pictured against the liftoff as it came, the plan lies the launch's moves before it.
    if (b.m_t.liftoffMs)
        b.m_t.plannedLaunchMs = *b.m_t.liftoffMs - b.m_moved * 1000;
    return b.m_t;
}

RunTotals runTotals(const std::vector<JournalRecord>& run) {
    RunTotalsBuilder b;
    for (const JournalRecord& r : run)
        b.add(r);
    return b.totals();
}

std::string builtInTotals(const RunTotals& t) {
    if (t.builtInHolds == 0)
        return "";
    return "Built-in holds: " + std::to_string(t.builtInHolds) + ", " +
           durationText(t.builtInSeconds) + " (planned " + durationText(t.builtInPlannedSeconds) +
           ").    ";
}

std::string durationMsText(std::int64_t ms) {
    const std::int64_t a = ms < 0 ? -ms : ms;
    char text[16];
    std::snprintf(text, sizeof text, ".%03lld", static_cast<long long>(a % 1000));
    std::string out = ms < 0 ? "-" : "";
    out += durationText(a / 1000);
    return out += text;
}

std::string durationText(std::int64_t seconds) {
    const std::int64_t a = std::llabs(seconds);
    char text[48];
    std::snprintf(text, sizeof text, "%s%lld:%02lld:%02lld", seconds < 0 ? "-" : "",
                  static_cast<long long>(a / 3600), static_cast<long long>(a / 60 % 60),
                  static_cast<long long>(a % 60));
    return text;
}

namespace {

std::string wallText(DateTime wall, std::int64_t ms, char separator) {
    char text[48];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d%c%02d:%02d:%02d.%03lld", wall.year(),
                  wall.month(), wall.day(), separator, wall.hour(), wall.minute(), wall.second(),
                  static_cast<long long>(ms));
    return text;
}

} // namespace

std::string utcText(std::int64_t unixMs) {
    const std::int64_t s = floorDiv(unixMs, 1000);
    return wallText(DateTime::fromSeconds(s + UnixEpochSeconds), unixMs - s * 1000, 'T') + "Z";
}

std::string localText(std::int64_t unixMs, const TimeZone& zone, bool offset) {
    const std::int64_t s = floorDiv(unixMs, 1000);
    const DateTime wall = zone.toWall(Instant::fromUnixSeconds(s));
    std::string text = wallText(wall, unixMs - s * 1000, offset ? 'T' : ' ');
    if (offset) {
        const std::int64_t east = wall.seconds() - (s + UnixEpochSeconds);
        char tz[40];
        std::snprintf(tz, sizeof tz, "%c%02lld:%02lld", east < 0 ? '-' : '+',
                      static_cast<long long>(std::llabs(east) / 3600),
                      static_cast<long long>(std::llabs(east) / 60 % 60));
        text += tz;
    }
    return text;
}

std::string recordSummary(const JournalRecord& r) {
    const std::string& k = r.kind;
    auto event = [&](const char* what) {
        return "Event " + r.detail("number") + " \"" + r.detail("name") + "\" " + what;
    };
    if (k == "hold")
        return "Hold";
    if (k == "built-in-hold")
        return "Built-in hold \"" + r.detail("label") + "\" for " + r.detail("planned");
    if (k == "built-in-hold-end")
        return "Built-in hold \"" + r.detail("label") + "\" ended after " + r.detail("actual") +
               " (planned " + r.detail("planned") + ")";
    if (k == "resume") {
        const std::string moved = durationText(std::strtoll(r.detail("held").c_str(), nullptr, 10));
        const std::string trueMs = r.detail("held-ms");
        if (trueMs.empty())
            return "Resume after a hold of " + moved;
        return "Resume after a hold of " +
               durationMsText(std::strtoll(trueMs.c_str(), nullptr, 10)) + "; the launch moved " +
               moved;
    }
    if (k == "launch-time")
        return "Launch time set to " + r.detail("launch");
    if (k == "window-set")
        return "Launch window set to " + r.detail("window") +
               (r.detail("active") == "1" ? ", active" : ", not active");
    if (k == "window-warned")
        return std::string("Launch window warning, ").append(r.detail("window")).append(" left");
    if (k == "window-expired")
        return "Launch window expired";
    if (k == "event-defined")
        return event("defined");
    if (k == "event-removed")
        return event("removed");
    if (k == "event-passed")
        return event("passed");
    if (k == "liftoff")
        return "Liftoff";
    if (k == "sim-time")
        return "Simulated time set, the clock shows " + r.detail("clock");
    if (k == "sim-restored")
        return "True time restored";
    if (k == "file-read")
        return "Launch data read from " + r.detail("path");
    if (k == "file-saved")
        return "Launch data saved to " + r.detail("path");
    if (k == "start")
        return "Program started";
    if (k == "exit")
        return "Program ended";
    return k;
}

std::string journalCsvHeader() {
    return "run,record,kind,utc,local,program_clock,count,count_seconds,what,details,"
           "launch_file\r\n";
}

std::string journalCsvRow(const JournalRecord& r, const TimeZone& zone) {
    const std::string fields[] = {
        std::to_string(r.run),
        std::to_string(r.id),
        r.kind,
        utcText(r.trueMs),
        localText(r.trueMs, zone, true),
        r.programMs ? localText(*r.programMs, zone, true) : std::string(),
        r.count,
        std::to_string(r.countSeconds),
        recordSummary(r),
        formatDetails(r.details),
        r.launchFile,
    };
    std::string out;
    for (std::size_t i = 0; i < std::size(fields); ++i) {
        if (i > 0)
            out += ',';
        out += csvField(fields[i]);
    }
    return out + "\r\n";
}

std::string journalCsv(const std::vector<JournalRecord>& records, const TimeZone& zone) {
    std::string out = journalCsvHeader();
    for (const JournalRecord& r : records)
        out += journalCsvRow(r, zone);
    return out;
}

std::vector<std::vector<JournalRecord>> splitRuns(const std::vector<JournalRecord>& records) {
    std::vector<std::vector<JournalRecord>> runs;
    for (const JournalRecord& r : records) {
        if (runs.empty() || runs.back().front().run != r.run)
            runs.emplace_back();
        runs.back().push_back(r);
    }
    return runs;
}

} // namespace orvane
