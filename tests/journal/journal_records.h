#pragma once

// A rehearsal's run as the journal keeps it, for the tests of the debrief.

#include "services/journal.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace orvane::test {

// 2001-05-03 10:20:00 UTC, in Unix milliseconds.
inline constexpr std::int64_t RunStartMs = 988885200000;

inline JournalRecord journalRecord(std::string kind, std::int64_t atSeconds, std::int64_t count,
                                   std::vector<std::pair<std::string, std::string>> details = {}) {
    JournalRecord r;
    r.kind = std::move(kind);
    r.trueMs = RunStartMs + atSeconds * 1000;
    r.countSeconds = count;
    const std::int64_t a = count < 0 ? -count : count;
    char text[32];
    std::snprintf(text, sizeof text, "T %c %03lld %02lld:%02lld:%02lld", count > 0 ? '-' : '+',
                  static_cast<long long>(a / 86400), static_cast<long long>(a / 3600 % 24),
                  static_cast<long long>(a / 60 % 60), static_cast<long long>(a % 60));
    r.count = text;
    r.details = std::move(details);
    r.launchFile = "/data/launch.ovx";
    return r;
}

// Launch planned at 10:30:00; a launch window of five minutes; two events; two holds (90 s
// with the window's warning, then 30 s); liftoff two minutes late at 10:32:00.
inline std::vector<JournalRecord> rehearsal() {
    std::vector<JournalRecord> run = {
        journalRecord("start", 0, 600),
        journalRecord("file-read", 0, 600, {{"path", "/data/launch.ovx"}, {"launch", "2001-05-03 10:30:00"}}),
        journalRecord("window-set", 10, 590, {{"window", "0:05:00"}, {"active", "1"}}),
        journalRecord("event-defined", 20, 580, {{"number", "1"}, {"name", "Ignition"}, {"offset", "-300"}}),
        journalRecord("event-defined", 25, 575, {{"number", "2"}, {"name", "Orbit"}, {"offset", "60"}}),
        journalRecord("hold", 60, 540, {{"window-left", "300"}}),
        journalRecord("window-warned", 120, 540, {{"window", "0:04:00"}}),
        journalRecord("resume", 150, 540, {{"held", "90"}, {"old-launch", "2001-05-03 10:30:00"}, {"launch", "2001-05-03 10:31:30"}, {"window-left", "210"}}),
        journalRecord("hold", 300, 390, {{"window-left", "210"}}),
        journalRecord("resume", 330, 390, {{"held", "30"}, {"old-launch", "2001-05-03 10:31:30"}, {"launch", "2001-05-03 10:32:00"}, {"window-left", "180"}}),
        journalRecord("event-passed", 420, 300, {{"number", "1"}, {"name", "Ignition"}, {"offset", "-300"}}),
        journalRecord("liftoff", 720, 0, {{"launch", "2001-05-03 10:32:00"}}),
        journalRecord("event-passed", 780, -60, {{"number", "2"}, {"name", "Orbit"}, {"offset", "60"}}),
        journalRecord("exit", 800, -80),
    };
    run.front().beginsRun = true;
    return run;
}

// A rehearsal on a countdown plan from T - 30:00 at 10:20:00: a built-in hold of five minutes
// at T - 20:00 that ends on time, a hold by hand of two minutes at T - 15:00, and the go/no-go
// poll at T - 9:00, planned for three minutes and kept four. Liftoff, planned for 10:58:00,
// comes three minutes late at 11:01:00.
inline std::vector<JournalRecord> plannedRehearsal() {
    std::vector<JournalRecord> run = {
        journalRecord("start", 0, 1800),
        journalRecord("built-in-hold", 600, 1200, {{"label", "Built-in hold"}, {"planned", "0:05:00"}}),
        journalRecord("built-in-hold-end", 900, 1200, {{"label", "Built-in hold"}, {"planned", "0:05:00"}, {"actual", "0:05:00"}}),
        journalRecord("hold", 1200, 900),
        journalRecord("resume", 1320, 900, {{"held", "120"}, {"held-ms", "120000"}}),
        journalRecord("built-in-hold", 1680, 540, {{"label", "Go/no-go poll"}, {"planned", "0:03:00"}}),
        journalRecord("built-in-hold-end", 1920, 540, {{"label", "Go/no-go poll"}, {"planned", "0:03:00"}, {"actual", "0:04:00"}}),
        journalRecord("liftoff", 2460, 0),
        journalRecord("exit", 2470, -10),
    };
    run.front().beginsRun = true;
    return run;
}

} // namespace orvane::test
