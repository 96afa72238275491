#pragma once

// What the debrief makes of a run's records: the totals, the timeline picture, the table's
// rows, and the exports (CSV and a self-contained HTML report).

#include "dates/zone.h"
#include "services/journal.h"
#include "toolkit/drawing.h"

#include <cstdint>
#include <cstdio>
#include <deque>
#include <functional>
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
    // The countdown plan's built-in holds, apart from the holds by hand: how many, how long
    // they lasted and how long they were planned to last (in seconds). Liftoff's slip against
    // the plan is then what the holds by hand, new launch times and the built-in holds kept
    // longer or shorter than planned moved it.
    int builtInHolds = 0;
    std::int64_t builtInSeconds = 0, builtInPlannedSeconds = 0;
};

RunTotals runTotals(const std::vector<JournalRecord>& run);
// "Built-in holds: 2, 0:22:05 (planned 0:20:00).    ", or nothing in a run without any.
std::string builtInTotals(const RunTotals& t);

// The same, a record at a time: what it keeps does not grow with the run.
class RunTotalsBuilder {
  public:
    void add(const JournalRecord& r);
    RunTotals totals() const;

  private:
    RunTotals m_t;
    bool m_inPlan = true;
    bool m_holding = false;
    std::int64_t m_holdStart = 0;
    std::int64_t m_moved = 0;
    std::int64_t m_lastMs = 0;
    bool m_builtIn = false;
    std::int64_t endHold(std::int64_t atMs, const std::string& heldDetail);
};

// What the timeline of a run is drawn from, gathered a record at a time, none of the records
// themselves, and bounded whatever the run's length: past MostKept points (or holds, or event
// marks) those closer in time than a picture's pixel are thinned, each span keeping its first,
// lowest, highest and last count (holds merging, the first event's mark standing for the rest).
// A run of fewer is drawn point for point.
struct TimelinePoints {
    static constexpr std::size_t MostKept = 16384;
    struct Event {
        std::int64_t ms = 0, count = 0;
        std::string number, name;
    };
    void add(const JournalRecord& r);
    bool empty() const { return actual.empty(); }

    RunTotalsBuilder totals;
    std::int64_t firstMs = 0, lastMs = 0;
    std::deque<std::pair<double, double>> actual; // true ms, count
    std::deque<std::pair<double, double>> holds;  // start and end, ms
    // The countdown plan's built-in holds: where each began and ended, where it was planned
    // to end, and whether it was kept past that.
    struct BuiltInHold {
        double startMs = 0, endMs = 0, plannedEndMs = 0;
        std::string label;
        bool overrun = false;
    };
    std::deque<BuiltInHold> builtIns;
    std::deque<Event> events;
    bool held = false;
    bool heldBuiltIn = false; // a built-in hold stands at the last record

  private:
    void thin();
    double m_actualSpanMs = 0, m_holdGapMs = 0, m_builtInGapMs = 0,
           m_eventSpanMs = 0; // 0: none thinned yet
};

// "h:mm:ss" (hours may run past 24) as seconds, as the journal writes lengths; empty when it
// is not one.
std::optional<std::int64_t> clockSeconds(const std::string& text);
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
// The same picture an item at a time, in the order a Drawing holds them.
void drawTimeline(const TimelinePoints& points, const TimeZone& zone, double width, double height,
                  const std::function<void(DrawItem&&)>& item);

// The CSV of these records, one happening a row, with a header row (the columns are listed in
// the help).
std::string journalCsv(const std::vector<JournalRecord>& records, const TimeZone& zone);
// The same in pieces, to be written as the records come: the header row, then a row each.
std::string journalCsvHeader();
std::string journalCsvRow(const JournalRecord& r, const TimeZone& zone);

// A picture as SVG markup, or its opening, its items one by one and its end.
std::string drawingSvg(const Drawing& drawing);
std::string svgOpening(double width, double height);
std::string svgItem(const DrawItem& item);
inline const char* svgEnd() {
    return "</svg>\n";
}
// The HTML report of the runs given (each a run's records): for each the picture, the totals
// and the table. Needs nothing beside it.
std::string debriefHtml(const std::vector<std::vector<JournalRecord>>& runs, const TimeZone& zone,
                        const std::string& title);
// The same in pieces, to be written a run at a time: the head, each run's section, the end
// (saying the journal held no runs when none came).
std::string debriefHtmlHead(const std::string& title);
std::string debriefHtmlRun(const std::vector<JournalRecord>& run, const TimeZone& zone);
std::string debriefHtmlEnd(bool anyRuns);

// One run's section of the report written as its records come, whatever the run's length:
// the table's rows wait in a temporary file until the picture and totals above them are known.
class DebriefHtmlRunWriter {
  public:
    using Write = std::function<bool(const std::string&)>;
    explicit DebriefHtmlRunWriter(const TimeZone& zone);
    ~DebriefHtmlRunWriter();
    DebriefHtmlRunWriter(const DebriefHtmlRunWriter&) = delete;
    DebriefHtmlRunWriter& operator=(const DebriefHtmlRunWriter&) = delete;

    bool empty() const { return m_records == 0; }
    std::int64_t run() const { return m_run; }
    void add(const JournalRecord& r);
    // Writes the section through WRITE and starts afresh; false when a write failed.
    bool finish(const Write& write);

  private:
    TimeZone m_zone;
    TimelinePoints m_points;
    std::int64_t m_run = 0, m_records = 0;
    std::FILE* m_rows = nullptr; // the table's rows so far, or, failing a file, in m_kept
    std::string m_kept;
};

// The records grouped by run, in order.
std::vector<std::vector<JournalRecord>> splitRuns(const std::vector<JournalRecord>& records);

} // namespace orvane
