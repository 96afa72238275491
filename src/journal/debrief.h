#pragma once

// What the debrief makes of a run's records: the totals, the timeline picture, the table's
// rows, and the exports (CSV and a self-contained HTML report).

#include "toolkit/drawing.h"
#include "services/journal.h"
#include "dates/zone.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orvane {

struct RunTotals {
    int holds = 0;
    // What the holds moved the launch time, in whole seconds, and how long they truly lasted,
    // from the true instants to the millisecond (a hold still on at the run's end counts to
    // its last record).
    std::int64_t heldSeconds = 0;
    std::int64_t heldMs = 0;
    // The launch window as last set while active, and how much of it the holds used.
    std::optional<std::int64_t> windowSeconds;
    std::int64_t windowUsedSeconds = 0;
    bool windowExpired = false;
    // The launch as planned when the run began, and the true instant of the liftoff (Unix ms).
    std::optional<std::int64_t> plannedLaunchMs;
    std::optional<std::int64_t> liftoffMs;
    // How far the launch time moved from the plan, in seconds (later is positive), by the
    // holds and the launch times set after it: up to the liftoff, or the run's end without one.
    std::optional<std::int64_t> slipSeconds;
};

RunTotals runTotals(const std::vector<JournalRecord>& run);

// "0:02:05", "12:00:00", "-0:00:30".
std::string durationText(std::int64_t seconds);
// "0:00:02.040": a true length to the millisecond.
std::string durationMsText(std::int64_t ms);
// "2001-05-03T14:20:00.000Z".
std::string utcText(std::int64_t unixMs);
// "2001-05-03 10:20:00.000" in the zone, with its offset from UTC ("-04:00") when OFFSET.
std::string localText(std::int64_t unixMs, const TimeZone& zone, bool offset = false);
// "Hold for 0:02:05", "Event 3 \"Ignition\" passed": a record in a few words.
std::string recordSummary(const JournalRecord& r);

// The timeline picture of one run: true time across, the count up the side.
Drawing runTimeline(const std::vector<JournalRecord>& run, const TimeZone& zone, double width,
                    double height);

// The CSV of these records, one happening a row, with a header row (the columns are listed in
// the help).
std::string journalCsv(const std::vector<JournalRecord>& records, const TimeZone& zone);
// The same in pieces, to be written as the records come: the header row, then a row each.
std::string journalCsvHeader();
std::string journalCsvRow(const JournalRecord& r, const TimeZone& zone);

// A picture as SVG markup.
std::string drawingSvg(const Drawing& drawing);
// The HTML report of the runs given (each a run's records): for each the picture, the totals
// and the table. Needs nothing beside it.
std::string debriefHtml(const std::vector<std::vector<JournalRecord>>& runs, const TimeZone& zone,
                        const std::string& title);
// The same in pieces, to be written a run at a time: the head, each run's section, the end
// (saying the journal held no runs when none came).
std::string debriefHtmlHead(const std::string& title);
std::string debriefHtmlRun(const std::vector<JournalRecord>& run, const TimeZone& zone);
std::string debriefHtmlEnd(bool anyRuns);

// The records grouped by run, in order.
std::vector<std::vector<JournalRecord>> splitRuns(const std::vector<JournalRecord>& records);

} // namespace orvane
