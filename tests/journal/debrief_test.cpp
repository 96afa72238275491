#include "happenings.h"
#include "journal/debrief.h"
#include "journal/journal_keeper.h"
#include "journal/journal_records.h"
#include "services/journal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

namespace orvane {
namespace {

using test::rehearsal;
using test::RunStartMs;

std::vector<JournalRecord> committedRehearsal() {
    MemoryJournalStore store;
    for (JournalRecord r : rehearsal())
        store.record(std::move(r));
    return store.records(0);
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        out.push_back(line.ends_with('\r') ? line.substr(0, line.size() - 1) : line);
    return out;
}

TEST(Debrief, TotalsOfARehearsalWithTwoHoldsAWindowAndALateLiftoff) {
    const RunTotals t = runTotals(rehearsal());
    EXPECT_EQ(t.holds, 2);
    EXPECT_EQ(t.heldSeconds, 120);
    ASSERT_TRUE(t.windowSeconds);
    EXPECT_EQ(*t.windowSeconds, 300);
    EXPECT_EQ(t.windowUsedSeconds, 120);
    EXPECT_FALSE(t.windowExpired);
    EXPECT_EQ(t.plannedLaunchMs, RunStartMs + 600000);
    EXPECT_EQ(t.liftoffMs, RunStartMs + 720000);
    EXPECT_EQ(t.slipSeconds, 120);
}

TEST(Debrief, AHoldStillOnAtTheEndCountsToTheLastRecordAndAnExpiredWindowIsUsedUp) {
    std::vector<JournalRecord> run = {
        test::journalRecord("launch-time", 0, 600),
        test::journalRecord("window-set", 0, 600, {{"window", "0:01:00"}, {"active", "1"}}),
        test::journalRecord("hold", 100, 500, {{"window-left", "60"}}),
        test::journalRecord("window-expired", 160, 500, {{"window", "0:00:00"}}),
        test::journalRecord("exit", 400, 500),
    };
    const RunTotals t = runTotals(run);
    EXPECT_EQ(t.holds, 1);
    EXPECT_EQ(t.heldSeconds, 300);
    EXPECT_TRUE(t.windowExpired);
    EXPECT_EQ(t.windowUsedSeconds, 60);
    EXPECT_FALSE(t.liftoffMs);
    EXPECT_EQ(t.slipSeconds, 300); // the launch moved with the hold
}

// The window's text is the user's to see: the totals take the seconds kept beside it, and read
// the text only in a journal written before the seconds were kept.
TEST(Debrief, TheWindowIsTakenInSecondsWhereTheRecordKeepsThem) {
    std::vector<JournalRecord> run = {
        test::journalRecord("launch-time", 0, 600),
        test::journalRecord("window-set", 0, 600, {{"window", "1 min"}, {"window-s", "90"}}),
        test::journalRecord("exit", 10, 590),
    };
    EXPECT_EQ(runTotals(run).windowSeconds, 90);
    run[1] = test::journalRecord("window-set", 0, 600, {{"window", "0:02:00"}, {"window-s", "x"}});
    EXPECT_EQ(runTotals(run).windowSeconds, 120);
}

TEST(Debrief, TheCsvHasOneRowAHappeningWithUtcAndLocalTimes) {
    const auto zone = TimeZone::named("America/New_York");
    ASSERT_TRUE(zone);
    const auto rows = lines(journalCsv(committedRehearsal(), *zone));
    ASSERT_EQ(rows.size(), 15u);
    EXPECT_EQ(rows[0], "run,record,kind,utc,local,program_clock,count,count_seconds,what,details,"
                       "launch_file");
    EXPECT_EQ(rows[1], "1,1,start,2001-05-03T10:20:00.000Z,2001-05-03T06:20:00.000-04:00,,"
                       "T - 000 00:10:00,600,Program started,,/data/launch.ovx");
    EXPECT_EQ(rows[4],
              "1,4,event-defined,2001-05-03T10:20:20.000Z,2001-05-03T06:20:20.000-04:00,,"
              "T - 000 00:09:40,580,\"Event 1 \"\"Ignition\"\" defined\","
              "\"number=\"\"1\"\" name=\"\"Ignition\"\" offset=\"\"-300\"\"\",/data/launch.ovx");
    EXPECT_EQ(rows[8],
              "1,8,resume,2001-05-03T10:22:30.000Z,2001-05-03T06:22:30.000-04:00,,"
              "T - 000 00:09:00,540,Resume after a hold of 0:01:30,"
              "\"held=\"\"90\"\" old-launch=\"\"2001-05-03 10:30:00\"\" "
              "launch=\"\"2001-05-03 10:31:30\"\" window-left=\"\"210\"\"\",/data/launch.ovx");
    EXPECT_EQ(rows[12], "1,12,liftoff,2001-05-03T10:32:00.000Z,2001-05-03T06:32:00.000-04:00,,"
                        "T + 000 00:00:00,0,Liftoff,\"launch=\"\"2001-05-03 10:32:00\"\"\","
                        "/data/launch.ovx");
    std::vector<std::string> kinds;
    for (std::size_t i = 1; i < rows.size(); ++i) {
        const std::size_t from = rows[i].find(',', rows[i].find(',') + 1) + 1;
        kinds.push_back(rows[i].substr(from, rows[i].find(',', from) - from));
    }
    EXPECT_EQ(kinds, (std::vector<std::string>{"start", "file-read", "window-set", "event-defined",
                                               "event-defined", "hold", "window-warned", "resume",
                                               "hold", "resume", "event-passed", "liftoff",
                                               "event-passed", "exit"}));
}

// While the program keeps its own clock, the CSV gives that clock beside the true time, both
// with their offsets from UTC.
TEST(Debrief, TheCsvGivesTheProgramsClockBesideTheTrueTime) {
    JournalRecord r = test::journalRecord("sim-time", 0, 30);
    r.run = 1;
    r.id = 1;
    r.programMs = r.trueMs + 570'000;
    const auto rows = lines(journalCsv({r}, *TimeZone::named("America/New_York")));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_TRUE(rows[1].starts_with("1,1,sim-time,2001-05-03T10:20:00.000Z,"
                                    "2001-05-03T06:20:00.000-04:00,2001-05-03T06:29:30.000-04:00,"))
        << rows[1];
}

TEST(Debrief, TheTimelineDrawsEachHoldWhereItWasAndBothLiftoffs) {
    const Drawing d = runTimeline(rehearsal(), TimeZone::utc(), 960, 420);
    std::vector<const DrawItem*> holds, liftoffs, events;
    const DrawItem* planned = nullptr;
    const DrawItem* actual = nullptr;
    for (const DrawItem& item : d.items) {
        if (item.role == "hold")
            holds.push_back(&item);
        if (item.role == "liftoff" || item.role == "planned-liftoff")
            liftoffs.push_back(&item);
        if (item.role == "event")
            events.push_back(&item);
        if (item.role == "planned")
            planned = &item;
        if (item.role == "actual")
            actual = &item;
    }
    ASSERT_EQ(holds.size(), 2u);
    ASSERT_EQ(liftoffs.size(), 2u);
    EXPECT_EQ(events.size(), 2u);
    ASSERT_TRUE(planned && actual);
    // The first hold (60 s to 150 s) is three times as wide as the second (300 s to 330 s),
    // and starts left of it.
    const double w1 = holds[0]->points[1].first - holds[0]->points[0].first;
    const double w2 = holds[1]->points[1].first - holds[1]->points[0].first;
    EXPECT_NEAR(w1 / w2, 3.0, 0.01);
    EXPECT_LT(holds[0]->points[1].first, holds[1]->points[0].first);
    // The actual count is flat through each hold: its points at the hold's ends share a height.
    for (const DrawItem* h : holds) {
        std::vector<double> ys;
        for (const auto& [x, y] : actual->points)
            if (x >= h->points[0].first - 0.01 && x <= h->points[1].first + 0.01)
                ys.push_back(y);
        ASSERT_GE(ys.size(), 2u);
        EXPECT_EQ(*std::ranges::min_element(ys), *std::ranges::max_element(ys));
    }
    // The planned liftoff lies two minutes left of the actual one, the slip written midway.
    const double xp = liftoffs[0]->points[0].first, xa = liftoffs[1]->points[0].first;
    EXPECT_LT(xp, xa);
    const auto slip = std::ranges::find(d.items, "slip 0:02:00", &DrawItem::text);
    ASSERT_NE(slip, d.items.end());
    EXPECT_DOUBLE_EQ(slip->points[0].first, (xp + xa) / 2);
}

// A run of a few seconds is drawn across ten seconds, not stretched over the whole width; a
// longer run fills the width but for a margin of 3 % at each end.
TEST(Debrief, TheTimelineSpansTenSecondsAtLeast) {
    for (const auto& [seconds, share] : {std::pair{4, 4 / 10.6}, {20, 20 / 21.2}}) {
        const std::vector<JournalRecord> run = {
            test::journalRecord("launch-time", 0, 600),
            test::journalRecord("exit", seconds, 600 - seconds)};
        const Drawing d = runTimeline(run, TimeZone::utc(), 960, 420);
        const auto axes =
            std::ranges::find_if(d.items, [](const DrawItem& i) { return i.points.size() == 3; });
        const auto actual = std::ranges::find(d.items, "actual", &DrawItem::role);
        ASSERT_NE(axes, d.items.end());
        ASSERT_NE(actual, d.items.end());
        const double width = axes->points[2].first - axes->points[0].first;
        EXPECT_NEAR((actual->points.back().first - actual->points.front().first) / width, share,
                    1e-9)
            << seconds << " s";
    }
}

// The count axis of a run from T - 10 minutes to T + 10 minutes has a mark at liftoff, which
// reads T + 0:00:00, not T - 0:00:00.
TEST(Debrief, TheCountAxisMarksLiftoffAsTPlusZero) {
    const std::vector<JournalRecord> run = {test::journalRecord("launch-time", 0, 600),
                                            test::journalRecord("liftoff", 600, 0),
                                            test::journalRecord("exit", 1200, -600)};
    std::vector<std::string> marks;
    for (const DrawItem& item : runTimeline(run, TimeZone::utc(), 960, 420).items)
        if (item.text.starts_with("T "))
            marks.push_back(item.text);
    ASSERT_EQ(marks.size(), 5u);
    EXPECT_EQ(marks[2], "T + 0:00:00");
    // The time axis's five marks stand within the plot, spread across it.
    const Drawing d = runTimeline(run, TimeZone::utc(), 960, 420);
    const auto axes =
        std::ranges::find_if(d.items, [](const DrawItem& i) { return i.points.size() == 3; });
    ASSERT_NE(axes, d.items.end());
    const double left = axes->points[0].first, right = axes->points[2].first,
                 bottom = axes->points[1].second;
    std::vector<double> ticks;
    for (const DrawItem& item : d.items)
        if (item.points.size() == 2 && item.points[0].second == bottom &&
            item.points[1].second == bottom + 5)
            ticks.push_back(item.points[0].first);
    ASSERT_EQ(ticks.size(), 5u);
    for (double x : ticks)
        EXPECT_TRUE(x > left && x < right) << x;
    EXPECT_NEAR(ticks[1] - ticks[0], ticks[4] - ticks[3], 1e-9);
    EXPECT_LT(ticks[0], (left + right) / 2);
    EXPECT_GT(ticks[4], (left + right) / 2);
    // The count's five marks stand up the side within the plot, evenly, the count rising.
    const double top = axes->points[0].second;
    std::vector<double> heights;
    for (const DrawItem& item : d.items)
        if (item.text.starts_with("T "))
            heights.push_back(item.points[0].second);
    ASSERT_EQ(heights.size(), 5u);
    for (double y : heights)
        EXPECT_TRUE(y > top && y < bottom + 10) << y;
    EXPECT_NEAR(heights[1] - heights[0], heights[4] - heights[3], 1e-9);
    EXPECT_NE(heights[0], heights[4]);
    // A grey line across the plot at T - 0.
    const auto zero = std::ranges::find_if(d.items, [&](const DrawItem& i) {
        return i.kind == DrawItem::Kind::Line && i.points.size() == 2 && !i.dashed &&
               i.points[0].first == left && i.points[1].first == right &&
               i.points[0].second == i.points[1].second;
    });
    ASSERT_NE(zero, d.items.end());
    const auto liftoffMark = std::ranges::find(d.items, "liftoff", &DrawItem::role);
    ASSERT_NE(liftoffMark, d.items.end());
    EXPECT_DOUBLE_EQ(zero->points[0].second, liftoffMark->points[0].second);
    EXPECT_TRUE(marks[1].starts_with("T + ") && marks[3].starts_with("T - "))
        << marks[1] << marks[3];
}

TEST(Debrief, TheHtmlReportStandsAloneWithItsPictureTotalsAndTable) {
    const std::string html =
        debriefHtml(splitRuns(committedRehearsal()), TimeZone::utc(), "Debrief <test>");
    EXPECT_TRUE(html.starts_with("<!DOCTYPE html>"));
    EXPECT_NE(html.find("<title>Debrief &lt;test&gt;</title>"), std::string::npos);
    EXPECT_EQ(html.find("src="), std::string::npos); // nothing loaded from elsewhere
    EXPECT_EQ(html.find("href="), std::string::npos);
    // The picture is 960 by 420, its labels anchored as drawn: the count's marks by their end,
    // the liftoff's name by its middle, an event's name by its start.
    EXPECT_NE(
        html.find("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"960.0\" height=\"420.0\" "
                  "viewBox=\"0 0 960.0 420.0\""),
        std::string::npos);
    EXPECT_NE(html.find("text-anchor=\"end\">T - 0:"), std::string::npos);
    EXPECT_NE(html.find("text-anchor=\"middle\">Liftoff</text>"), std::string::npos);
    EXPECT_NE(html.find("text-anchor=\"start\">Ignition</text>"), std::string::npos);
    EXPECT_NE(
        html.find("class=\"hold\" data-start-ms=\"988885260000\" data-end-ms=\"988885350000\""),
        std::string::npos);
    EXPECT_NE(html.find("<h2>Run 1, 2001-05-03 10:20:00 to 2001-05-03 1"), std::string::npos);
    EXPECT_NE(html.find("<th>Holds</th><td>2, 0:02:00.000 in all, the launch moved 0:02:00</td>"),
              std::string::npos);
    EXPECT_NE(html.find("<meta charset=\"utf-8\">\n<title>"), std::string::npos);
    EXPECT_NE(html.find("th { background: #eeeeee; }"), std::string::npos);
    EXPECT_NE(html.find("</style>\n</head>\n<body>\n<h1>Debrief &lt;test&gt;</h1>"), std::string::npos);
    EXPECT_TRUE(html.ends_with("</body>\n</html>\n"));
    EXPECT_NE(html.find("<th>Launch window used</th><td>0:02:00 of 0:05:00</td>"),
              std::string::npos);
    EXPECT_NE(html.find("2001-05-03 10:32:00, slip 0:02:00"), std::string::npos);
    EXPECT_NE(html.find("Event 1 &quot;Ignition&quot; passed"), std::string::npos);
}

// A run of 60,000 records is drawn from a bounded number of points: the count's first and
// last, its highest and lowest, and where its holds began and ended are kept.
TEST(Debrief, ALongRunsPictureIsThinnedToWhatItsPixelsShow) {
    std::vector<JournalRecord> run = {test::journalRecord("start", 0, 90000)};
    for (std::int64_t i = 1; i < 60000; ++i)
        run.push_back(test::journalRecord(i % 3 == 0 ? "hold" : i % 3 == 1 ? "resume" : "event-passed",
                                          i, i == 30000 ? 200000 : 90000 - i, {{"number", "1"}}));
    const Drawing d = runTimeline(run, TimeZone::utc(), 960, 420);
    std::size_t holds = 0, events = 0;
    const DrawItem* actual = nullptr;
    for (const DrawItem& item : d.items) {
        holds += item.role == "hold";
        events += item.role == "event";
        if (item.role == "actual")
            actual = &item;
    }
    ASSERT_TRUE(actual);
    EXPECT_LE(actual->points.size(), TimelinePoints::MostKept);
    EXPECT_LE(holds, TimelinePoints::MostKept);
    EXPECT_GE(holds, 1u);
    EXPECT_LE(events, TimelinePoints::MostKept);
    EXPECT_GE(events, 100u);
    const auto [low, high] = std::ranges::minmax_element(actual->points, {}, [](const auto& p) { return p.second; });
    const Drawing whole = runTimeline({run.front(), run[30000], run.back()}, TimeZone::utc(), 960, 420);
    const DrawItem& three = *std::ranges::find(whole.items, std::string("actual"), &DrawItem::role);
    EXPECT_EQ(actual->points.front(), three.points.front());
    EXPECT_EQ(actual->points.back(), three.points.back());
    const auto [top, bottom] = std::ranges::minmax_element(three.points, {}, [](const auto& p) { return p.second; });
    EXPECT_DOUBLE_EQ(low->second, top->second); // the highest count, drawn highest
    EXPECT_DOUBLE_EQ(high->second, bottom->second);
    const auto hold = std::ranges::find(d.items, std::string("hold"), &DrawItem::role);
    EXPECT_EQ(hold->data.front().second, std::to_string(test::RunStartMs + 3000)); // the first hold's start
}

TEST(JournalStore, RunsBeginWhereRecordsSayAndDetailsRoundTrip) {
    MemoryJournalStore store;
    std::vector<std::string> told;
    store.onCommitted = [&](const JournalRecord& r) {
        told.push_back(std::to_string(r.run) + " " + r.kind);
    };
    for (JournalRecord r : rehearsal())
        store.record(std::move(r));
    JournalRecord next = test::journalRecord("launch-time", 900, 600);
    next.beginsRun = true;
    store.record(next);
    EXPECT_EQ(told.front(), "1 start");
    EXPECT_EQ(told.back(), "2 launch-time");
    ASSERT_EQ(store.runs().size(), 2u);
    EXPECT_EQ(store.runs()[0].records, 14);
    store.deleteRun(1);
    EXPECT_EQ(store.runs().size(), 1u);
    // The program started and ended and nothing else: kept, never listed.
    for (const char* kind : {"start", "exit"}) {
        JournalRecord r = test::journalRecord(kind, 950, 600);
        r.beginsRun = r.kind == "start";
        store.record(r);
    }
    EXPECT_EQ(store.runs().size(), 1u);
    EXPECT_EQ(store.records(0).size(), 3u);

    const std::vector<std::pair<std::string, std::string>> odd = {
        {"path", "C:\\odd \"name\"\nline"}, {"empty", ""}};
    EXPECT_EQ(parseDetails(formatDetails(odd)), odd);
    EXPECT_FALSE(parseDetails("name=\"unclosed"));
}

} // namespace
} // namespace orvane

namespace orvane {
namespace {

// Regression: the plan was read from the run's first record, the start, before the launch time
// the user then set.
TEST(Debrief, ThePlanIsTheLaunchTimeTheRunBeganWith) {
    const std::vector<JournalRecord> run = {
        test::journalRecord("start", 0, 600),
        test::journalRecord("launch-time", 5, 3600,
                            {{"old-launch", "2001-05-03 10:30:00"}, {"launch", "2001-05-03 11:20:05"}}),
        test::journalRecord("liftoff", 3605, 0),
    };
    EXPECT_EQ(runTotals(run).plannedLaunchMs, test::RunStartMs + 3605000);
    EXPECT_EQ(runTotals(run).slipSeconds, 0) << "the launch time the run began with is no slip";
}

} // namespace
} // namespace orvane

namespace orvane {
namespace {

// A simulated clock set before 1970 is written at the whole second at or before it, never
// rounded towards 1970.
TEST(JournalRecords, ASimulatedClockBefore1970IsWrittenAtItsSecond) {
    for (const auto& [ms, wall] : {std::pair<std::int64_t, const char*>{0, "1970-01-01 00:00:00"},
                                   {-1, "1969-12-31 23:59:59"},
                                   {-1000, "1969-12-31 23:59:59"},
                                   {-1001, "1969-12-31 23:59:58"},
                                   {-14182940000, "1969-07-20 20:17:40"}}) {
        Happening h;
        h.kind = Happening::Kind::SimTimeSet;
        h.newClockMs = ms;
        EXPECT_EQ(journalRecordOf(h, TimeZone::utc()).detail("clock"), wall) << ms;
    }
}

} // namespace
} // namespace orvane

namespace orvane {
namespace {

// Regression: in a rehearsal on a simulated time the debrief said "Liftoff slip: -0:07:15"
// where the holds had moved the launch 5 s, and gave hold lengths as differences of whole
// seconds. The lengths are now true, to the millisecond, beside the whole seconds the launch
// moved, and the slip is what the holds moved it.
TEST(Debrief, ASimulatedTimeRehearsalTellsTrueHoldLengthsAndTheSlipOfItsHolds) {
    auto at = [](std::int64_t ms, const char* kind, std::int64_t count,
                 std::vector<std::pair<std::string, std::string>> details = {}) {
        JournalRecord r = test::journalRecord(kind, 0, count, std::move(details));
        r.trueMs = RunStartMs + ms;
        r.programMs = r.trueMs + 20 * 60000; // the program's clock twenty minutes on
        return r;
    };
    const std::vector<JournalRecord> run = {
        at(0, "file-read", 45, {{"path", "/data/launch.ovx"}, {"launch", "2001-05-03 10:41:00"}}),
        at(5300, "hold", 40),
        at(7340, "resume", 40, {{"held", "3"}, {"old-launch", "2001-05-03 10:41:00"},
                                {"launch", "2001-05-03 10:41:03"}, {"held-ms", "2040"}}),
        at(10100, "hold", 37),
        at(13050, "resume", 37, {{"held", "2"}, {"old-launch", "2001-05-03 10:41:03"},
                                 {"launch", "2001-05-03 10:41:05"}, {"held-ms", "2950"}}),
        at(50050, "liftoff", 0, {{"launch", "2001-05-03 10:41:05"}}),
        at(51000, "launch-time", -1, {{"old-launch", "2001-05-03 10:41:05"},
                                      {"launch", "2001-05-03 11:00:00"}}),
    };
    const RunTotals t = runTotals(run);
    EXPECT_EQ(t.holds, 2);
    EXPECT_EQ(t.heldMs, 2040 + 2950);
    EXPECT_EQ(t.heldSeconds, 5);
    EXPECT_EQ(t.slipSeconds, 5) << "a launch time set after liftoff is no slip";
    EXPECT_EQ(t.liftoffMs, RunStartMs + 50050);
    EXPECT_EQ(t.plannedLaunchMs, RunStartMs + 45050);
    EXPECT_EQ(recordSummary(run[2]), "Resume after a hold of 0:00:02.040; the launch moved 0:00:03");
    EXPECT_EQ(durationMsText(-1500), "-0:00:01.500");

    const std::string html = debriefHtml({run}, TimeZone::utc(), "Debrief");
    EXPECT_NE(html.find("<th>True time</th><th>Program clock</th><th>Count</th>"), std::string::npos);
    EXPECT_NE(html.find("<td>2001-05-03 10:20:07.340</td><td class=\"program-clock\">"
                        "2001-05-03 10:40:07.340</td>"),
              std::string::npos);
    EXPECT_NE(html.find("<th>Holds</th><td>2, 0:00:04.990 in all, the launch moved 0:00:05</td>"),
              std::string::npos);
    EXPECT_NE(html.find(", slip 0:00:05</td>"), std::string::npos);

    // Without a liftoff, a launch time set after the plan moves the launch too.
    const std::vector<JournalRecord> unlaunched = {run[0], run[1], run[2], run[6]};
    EXPECT_EQ(runTotals(unlaunched).slipSeconds, 3 + 18 * 60 + 55);
}

// Regression: "Liftoff", "Engine start" and "Tower clear" were drawn over one another.
TEST(Debrief, TheTimelinesLabelsNeverOverlap) {
    std::vector<JournalRecord> run = {
        test::journalRecord("launch-time", 0, 30),
        test::journalRecord("hold", 10, 20),
        test::journalRecord("resume", 17, 20, {{"held", "7"}}),
        test::journalRecord("liftoff", 37, 0, {{"launch", "2001-05-03 10:20:37"}}),
    };
    for (const char* name : {"Engine start", "Tower clear", "Roll program", "Max Q"})
        run.push_back(test::journalRecord("event-passed", 37, 0, {{"number", "1"}, {"name", name}}));
    for (const auto& [width, height] : {std::pair{728.0, 280.0}, std::pair{960.0, 420.0}}) {
        const Drawing d = runTimeline(run, TimeZone::utc(), width, height);
        struct Box {
            double x0, y0, x1, y1;
            std::string text;
        };
        std::vector<Box> boxes;
        for (const DrawItem& item : d.items) {
            if (item.kind != DrawItem::Kind::Text)
                continue;
            // Half the size a character is wide at least, and the text's height.
            const double w = double(item.text.size()) * item.size * 0.5;
            double x0 = item.points[0].first;
            if (item.anchor == DrawItem::Anchor::Middle)
                x0 -= w / 2;
            else if (item.anchor == DrawItem::Anchor::End)
                x0 -= w;
            const double y = item.points[0].second;
            boxes.push_back({x0, y - item.size * 0.9, x0 + w, y + item.size * 0.2, item.text});
            EXPECT_GE(y - item.size, 0) << item.text;
            EXPECT_LE(y, height) << item.text;
        }
        for (std::size_t i = 0; i < boxes.size(); ++i)
            for (std::size_t j = i + 1; j < boxes.size(); ++j) {
                const Box &a = boxes[i], &b = boxes[j];
                EXPECT_FALSE(a.x0 < b.x1 && b.x0 < a.x1 && a.y0 < b.y1 && b.y0 < a.y1)
                    << "\"" << a.text << "\" over \"" << b.text << "\"";
            }
        for (const char* shown : {"Liftoff", "Engine start", "Tower clear", "planned liftoff", "slip 0:00:07"})
            EXPECT_NE(std::ranges::find(d.items, std::string(shown), &DrawItem::text), d.items.end())
                << shown;
    }
}

} // namespace
} // namespace orvane

namespace orvane {
namespace {

using test::plannedRehearsal;
using test::RunStartMs;

std::vector<const DrawItem*> itemsWithRole(const Drawing& d, std::string_view role) {
    std::vector<const DrawItem*> out;
    for (const DrawItem& item : d.items)
        if (item.role == role)
            out.push_back(&item);
    return out;
}

double widthOf(const DrawItem& band) {
    return band.points[1].first - band.points[0].first;
}

std::string dataOf(const DrawItem& item, const std::string& name) {
    const auto it = std::ranges::find(item.data, name, &std::pair<std::string, std::string>::first);
    return it == item.data.end() ? "<none>" : it->second;
}

// The countdown plan's holds are bands of their own beside the holds by hand, the time the
// poll was kept past its plan red from a dashed line at its planned end, and a legend names
// each kind of band above the plot.
TEST(Debrief, TheTimelineDrawsBuiltInHoldsApartWithTheirOverrunAndALegend) {
    const Drawing d = runTimeline(plannedRehearsal(), TimeZone::utc(), 960, 420);
    const auto holds = itemsWithRole(d, "hold"), builtIns = itemsWithRole(d, "built-in-hold"),
               overruns = itemsWithRole(d, "built-in-overrun");
    ASSERT_EQ(holds.size(), 1u);
    ASSERT_EQ(builtIns.size(), 2u);
    ASSERT_EQ(overruns.size(), 1u);
    // Where and how long each was: five minutes, then four (three planned), the red the last
    // of those four; the hold by hand of two minutes between them.
    EXPECT_NEAR(widthOf(*builtIns[1]) / widthOf(*builtIns[0]), 240.0 / 300, 1e-9);
    EXPECT_NEAR(widthOf(*holds[0]) / widthOf(*builtIns[0]), 120.0 / 300, 1e-9);
    EXPECT_NEAR(widthOf(*overruns[0]) / widthOf(*builtIns[0]), 60.0 / 300, 1e-9);
    EXPECT_LT(builtIns[0]->points[1].first, holds[0]->points[0].first);
    EXPECT_LT(holds[0]->points[1].first, builtIns[1]->points[0].first);
    EXPECT_DOUBLE_EQ(overruns[0]->points[1].first, builtIns[1]->points[1].first);
    EXPECT_EQ(dataOf(*builtIns[1], "start-ms"), std::to_string(RunStartMs + 1680000));
    EXPECT_EQ(dataOf(*builtIns[1], "planned-end-ms"), std::to_string(RunStartMs + 1860000));
    EXPECT_EQ(dataOf(*builtIns[1], "end-ms"), std::to_string(RunStartMs + 1920000));
    EXPECT_EQ(dataOf(*builtIns[1], "label"), "Go/no-go poll");
    EXPECT_EQ(dataOf(*overruns[0], "from-ms"), std::to_string(RunStartMs + 1860000));
    // Bands stand over the plot's height, each kind in its own colour, the red over the blue.
    const auto axes = std::ranges::find_if(d.items, [](const DrawItem& i) { return i.points.size() == 3; });
    ASSERT_NE(axes, d.items.end());
    for (const DrawItem* band : {holds[0], builtIns[0], builtIns[1], overruns[0]}) {
        EXPECT_EQ(band->points[0].second, axes->points[0].second) << band->role;
        EXPECT_EQ(band->points[1].second, axes->points[1].second) << band->role;
    }
    EXPECT_NE(builtIns[0]->fill, holds[0]->fill);
    EXPECT_NE(overruns[0]->fill, builtIns[0]->fill);
    EXPECT_NE(overruns[0]->fill, holds[0]->fill);
    EXPECT_GT(overruns[0] - &d.items[0], builtIns[1] - &d.items[0]);
    const auto dashed = std::ranges::find_if(d.items, [&](const DrawItem& i) {
        return i.dashed && i.points.size() == 2 && i.points[0].first == overruns[0]->points[0].first;
    });
    ASSERT_NE(dashed, d.items.end()) << "the poll's planned end is marked";
    EXPECT_EQ(dashed->points[1].first, dashed->points[0].first);
    // Each built-in band has a darker edge along its top, as wide as the band.
    for (const DrawItem* b : builtIns) {
        const auto edge = std::ranges::find_if(d.items, [&](const DrawItem& i) {
            return i.kind == DrawItem::Kind::Rect && i.role.empty() && i.points[0] == b->points[0];
        });
        ASSERT_NE(edge, d.items.end());
        EXPECT_EQ(edge->points[1].first, b->points[1].first);
        EXPECT_GT(edge->points[1].second, b->points[0].second);
        EXPECT_LT(edge->points[1].second, b->points[0].second + 10);
        EXPECT_NE(edge->fill, b->fill);
    }
    // The count stands still through every hold, built-in or by hand.
    const auto actual = std::ranges::find(d.items, "actual", &DrawItem::role);
    ASSERT_NE(actual, d.items.end());
    for (const DrawItem* band : {holds[0], builtIns[0], builtIns[1]}) {
        std::vector<double> ys;
        for (const auto& [x, y] : actual->points)
            if (x >= band->points[0].first - 0.01 && x <= band->points[1].first + 0.01)
                ys.push_back(y);
        ASSERT_GE(ys.size(), 2u) << band->role;
        EXPECT_EQ(*std::ranges::min_element(ys), *std::ranges::max_element(ys)) << band->role;
    }
    EXPECT_EQ(actual->points.size(), plannedRehearsal().size()) << "no step where none was";
    // The legend, left to right along the top right, a swatch of each band's colour before its
    // name, the names clear of one another and within the picture.
    const auto swatches = itemsWithRole(d, "legend");
    ASSERT_EQ(swatches.size(), 3u);
    const std::pair<const char*, std::uint32_t> kinds[] = {
        {"hold", holds[0]->fill}, {"built-in hold", builtIns[0]->fill}, {"past its planned end", overruns[0]->fill}};
    double right = axes->points[0].first;
    for (std::size_t i = 0; i < 3; ++i) {
        const DrawItem& swatch = *swatches[i];
        EXPECT_EQ(swatch.fill, kinds[i].second) << kinds[i].first;
        EXPECT_EQ(dataOf(swatch, "for"), kinds[i].first);
        EXPECT_GT(swatch.strokeWidth, 0) << "outlined, as a pale swatch on white needs";
        EXPECT_LE(swatch.points[1].second, axes->points[0].second) << "above the plot";
        EXPECT_GE(swatch.points[0].second, 0);
        EXPECT_GT(swatch.points[0].first, right) << kinds[i].first;
        const auto name = std::ranges::find(d.items, std::string(kinds[i].first), &DrawItem::text);
        ASSERT_NE(name, d.items.end()) << kinds[i].first;
        EXPECT_GT(name->points[0].first, swatch.points[1].first);
        EXPECT_LT(name->points[0].second, axes->points[0].second);
        EXPECT_GT(name->points[0].second, swatch.points[0].second);
        right = name->points[0].first + double(name->text.size()) * name->size * 0.5;
    }
    EXPECT_LE(right, 960);
    EXPECT_GT(swatches[0]->points[0].first, 480) << "on the right";
}

// The edges of a run: a hold by hand or a built-in hold still on at its last record lasts to
// that record, the built-in one turning red once past its plan; an end, or a resume, whose
// start came before the run's first record draws nothing and breaks nothing; a hold of no
// length is still seen, a pixel wide; one ended early has no red.
TEST(Debrief, TheTimelinesBandsAtTheRunsEdges) {
    using test::journalRecord;
    auto bands = [](const std::vector<JournalRecord>& run, std::string_view role) {
        const Drawing d = runTimeline(run, TimeZone::utc(), 960, 420);
        std::vector<DrawItem> out;
        for (const DrawItem* item : itemsWithRole(d, role))
            out.push_back(*item);
        return out;
    };
    const std::vector<JournalRecord> begunBefore = {
        journalRecord("launch-time", 0, 600),
        journalRecord("resume", 10, 600, {{"held", "30"}, {"held-ms", "30000"}}),
        journalRecord("built-in-hold-end", 20, 590, {{"planned", "0:01:00"}, {"actual", "0:02:00"}}),
        journalRecord("exit", 100, 510),
    };
    EXPECT_TRUE(bands(begunBefore, "hold").empty());
    EXPECT_TRUE(bands(begunBefore, "built-in-hold").empty());
    EXPECT_TRUE(bands(begunBefore, "built-in-overrun").empty());
    EXPECT_TRUE(bands(begunBefore, "legend").empty()) << "no band, no legend";
    EXPECT_EQ(runTotals(begunBefore).holds, 0);
    EXPECT_EQ(runTotals(begunBefore).heldMs, 0);
    EXPECT_EQ(runTotals(begunBefore).builtInSeconds, 0);

    std::vector<JournalRecord> standing = {
        journalRecord("launch-time", 0, 600),
        journalRecord("built-in-hold", 100, 500, {{"label", "Poll"}, {"planned", "0:01:00"}}),
        journalRecord("window-set", 160, 500, {{"window", "0:05:00"}}),
    };
    auto built = bands(standing, "built-in-hold");
    ASSERT_EQ(built.size(), 1u);
    EXPECT_EQ(dataOf(built[0], "end-ms"), std::to_string(RunStartMs + 160000));
    EXPECT_TRUE(bands(standing, "built-in-overrun").empty()) << "at its planned end, not past it";
    standing.push_back(journalRecord("window-set", 161, 500, {{"window", "0:05:00"}}));
    const auto overrun = bands(standing, "built-in-overrun");
    ASSERT_EQ(overrun.size(), 1u) << "a second past its planned end";
    EXPECT_EQ(dataOf(overrun[0], "from-ms"), std::to_string(RunStartMs + 160000));
    EXPECT_EQ(dataOf(overrun[0], "end-ms"), std::to_string(RunStartMs + 161000));
    EXPECT_NEAR(widthOf(overrun[0]) / widthOf(bands(standing, "built-in-hold")[0]), 1 / 61.0, 1e-9);

    const std::vector<JournalRecord> handStanding = {
        journalRecord("launch-time", 0, 600),
        journalRecord("hold", 50, 550),
        journalRecord("window-set", 80, 550, {{"window", "0:05:00"}}),
    };
    const auto hand = bands(handStanding, "hold");
    ASSERT_EQ(hand.size(), 1u);
    EXPECT_EQ(dataOf(hand[0], "end-ms"), std::to_string(RunStartMs + 80000));
    const Drawing handDrawn = runTimeline(handStanding, TimeZone::utc(), 960, 420);
    const auto actual = std::ranges::find(handDrawn.items, "actual", &DrawItem::role);
    EXPECT_DOUBLE_EQ(actual->points.back().first, hand[0].points[1].first);

    // A start heard twice, an end or a resume heard again: the bands are as the first told.
    const std::vector<JournalRecord> stray = {
        journalRecord("launch-time", 0, 600),
        journalRecord("built-in-hold", 100, 500, {{"planned", "0:01:00"}}),
        journalRecord("built-in-hold", 130, 500, {{"planned", "0:00:10"}}),
        journalRecord("built-in-hold-end", 160, 500, {{"planned", "0:01:00"}, {"actual", "0:01:00"}}),
        journalRecord("built-in-hold-end", 170, 500, {{"planned", "0:01:00"}, {"actual", "0:01:10"}}),
        journalRecord("hold", 200, 460),
        journalRecord("resume", 210, 460, {{"held", "10"}}),
        journalRecord("resume", 220, 460, {{"held", "10"}}),
        journalRecord("exit", 300, 380),
    };
    built = bands(stray, "built-in-hold");
    ASSERT_EQ(built.size(), 1u);
    EXPECT_EQ(dataOf(built[0], "start-ms"), std::to_string(RunStartMs + 100000));
    EXPECT_EQ(dataOf(built[0], "planned-end-ms"), std::to_string(RunStartMs + 160000));
    EXPECT_EQ(dataOf(built[0], "end-ms"), std::to_string(RunStartMs + 160000));
    EXPECT_TRUE(bands(stray, "built-in-overrun").empty());
    const auto strayHolds = bands(stray, "hold");
    ASSERT_EQ(strayHolds.size(), 1u);
    EXPECT_EQ(dataOf(strayHolds[0], "end-ms"), std::to_string(RunStartMs + 210000));

    const std::vector<JournalRecord> noLength = {
        journalRecord("launch-time", 0, 600),
        journalRecord("hold", 50, 550),
        journalRecord("resume", 50, 550, {{"held", "0"}}),
        journalRecord("built-in-hold", 60, 540, {{"planned", "0:00:10"}}),
        journalRecord("built-in-hold-end", 60, 540, {{"planned", "0:00:10"}, {"actual", "0:00:00"}}),
        journalRecord("exit", 3600, -3000),
    };
    for (const char* role : {"hold", "built-in-hold"}) {
        const auto b = bands(noLength, role);
        ASSERT_EQ(b.size(), 1u) << role;
        EXPECT_NEAR(widthOf(b[0]), 1, 1e-9) << role;
    }
    EXPECT_TRUE(bands(noLength, "built-in-overrun").empty()) << "ended early";

    // Ended a second late by the journal's whole seconds, though its records lie closer.
    std::vector<JournalRecord> late = {
        journalRecord("launch-time", 0, 600),
        journalRecord("built-in-hold", 100, 500, {{"planned", "0:01:00"}}),
        journalRecord("built-in-hold-end", 160, 500, {{"planned", "0:01:00"}, {"actual", "0:01:01"}}),
    };
    EXPECT_EQ(bands(late, "built-in-overrun").size(), 1u);
    late[2].details = {{"planned", "0:01:00"}, {"actual", "0:01:00"}};
    late[2].trueMs += 400;
    EXPECT_TRUE(bands(late, "built-in-overrun").empty()) << "on time, to the journal's second";
    late[2].details = {{"planned", "0:01:00"}};
    EXPECT_EQ(bands(late, "built-in-overrun").size(), 1u) << "without its length, by the instants";
    late[2].trueMs -= 400;
    EXPECT_TRUE(bands(late, "built-in-overrun").empty());
}

// A run of many built-in holds (a plan run again and again) is drawn from a bounded number
// of bands: those closer than a pixel merge, red from the first that was kept past its plan.
TEST(Debrief, ManyBuiltInHoldsAreThinnedToWhatThePicturesPixelsShow) {
    // Thinned after a hold's end, or, three records on, while one stands.
    for (const int lead : {0, 3}) {
        SCOPED_TRACE(lead ? "thinned while one stands" : "thinned after an end");
        std::vector<JournalRecord> run = {test::journalRecord("start", 0, 90000)};
        for (int k = 0; k < lead; ++k)
            run.push_back(test::journalRecord("file-saved", 0, 90000));
        for (std::int64_t i = 1; i < 40000; i += 2) {
            const bool late = i > 2000 && i < 3000;
            run.push_back(test::journalRecord("built-in-hold", i, 90000 - i, {{"planned", "0:00:01"}}));
            run.push_back(test::journalRecord("built-in-hold-end", i + 1, 90000 - i,
                                              {{"planned", "0:00:01"}, {"actual", late ? "0:00:02" : "0:00:01"}}));
        }
        const Drawing d = runTimeline(run, TimeZone::utc(), 960, 420);
        const auto built = itemsWithRole(d, "built-in-hold"), overruns = itemsWithRole(d, "built-in-overrun");
        EXPECT_LE(built.size(), TimelinePoints::MostKept);
        ASSERT_GE(built.size(), 2u);
        EXPECT_LT(built.size(), run.size() / 2);
        ASSERT_EQ(overruns.size(), 1u);
        EXPECT_EQ(dataOf(*built.front(), "start-ms"), std::to_string(RunStartMs + 1000));
        EXPECT_EQ(dataOf(*built.back(), "end-ms"), std::to_string(RunStartMs + 40000000));
        EXPECT_EQ(dataOf(*overruns.front(), "from-ms"), std::to_string(RunStartMs + 2002000));
        EXPECT_EQ(dataOf(*overruns.front(), "end-ms"), dataOf(*built.front(), "end-ms"));
    }
}

// A built-in hold's end that lacks its planned length counts as on plan; one after liftoff
// moves no liftoff; a jump of the count by a few seconds is drawn as a step, a second's
// unevenness of the records is not.
TEST(Debrief, BuiltInHoldTotalsAndTheCountsStepsAtTheirEdges) {
    using test::journalRecord;
    const std::vector<JournalRecord> run = {
        journalRecord("launch-time", 0, 600),
        journalRecord("built-in-hold", 100, 500, {{"planned", "0:01:00"}}),
        journalRecord("built-in-hold-end", 190, 500, {{"actual", "0:01:30"}}),
        journalRecord("liftoff", 690, 0),
        journalRecord("built-in-hold", 700, -10, {{"planned", "0:01:00"}}),
        journalRecord("built-in-hold-end", 800, -10, {{"planned", "0:01:00"}, {"actual", "0:01:40"}}),
    };
    const RunTotals t = runTotals(run);
    EXPECT_EQ(t.builtInHolds, 2);
    EXPECT_EQ(t.builtInSeconds, 190);
    EXPECT_EQ(t.builtInPlannedSeconds, 150);
    EXPECT_EQ(t.slipSeconds, 0);
    EXPECT_EQ(builtInTotals(t), "Built-in holds: 2, 0:03:10 (planned 0:02:30).    ");
    EXPECT_EQ(builtInTotals(runTotals(test::rehearsal())), "");

    const std::vector<JournalRecord> jumped = {
        journalRecord("launch-time", 0, 600),
        journalRecord("sim-time", 10, 585),
        journalRecord("window-set", 20, 574, {{"window", "0:01:00"}}),
    };
    const Drawing d = runTimeline(jumped, TimeZone::utc(), 960, 420);
    const auto actual = std::ranges::find(d.items, "actual", &DrawItem::role);
    ASSERT_NE(actual, d.items.end());
    ASSERT_EQ(actual->points.size(), 4u);
    EXPECT_EQ(actual->points[1].first, actual->points[2].first) << "a step, straight up or down";
    EXPECT_LT(actual->points[1].second, actual->points[2].second) << "the count jumped down";
}

// Texts as the debrief writes them: lengths past an hour, an offset of zero, a field with a
// line break quoted, a run of no records written as nothing.
TEST(Debrief, TextsAtTheirEdges) {
    EXPECT_EQ(durationText(3 * 3600 + 5 * 60 + 7), "3:05:07");
    EXPECT_EQ(durationText(-30), "-0:00:30");
    EXPECT_EQ(durationText(100 * 3600), "100:00:00");
    EXPECT_EQ(localText(RunStartMs, TimeZone::utc(), true), "2001-05-03T10:20:00.000+00:00");
    JournalRecord r = test::journalRecord("file-read", 0, 600);
    r.launchFile = "/data/two\nlines.ovx";
    EXPECT_TRUE(journalCsvRow(r, TimeZone::utc()).ends_with(",\"/data/two\nlines.ovx\"\r\n"));
    r.launchFile = "/data/carriage\rreturn.ovx";
    EXPECT_TRUE(journalCsvRow(r, TimeZone::utc()).ends_with(",\"/data/carriage\rreturn.ovx\"\r\n"));
    EXPECT_EQ(debriefHtmlRun({}, TimeZone::utc()), "");
}

// Labels crowded at the top of the picture stay within it: those with no room are left out.
TEST(Debrief, LabelsCrowdedAtTheTopStayWithinThePicture) {
    std::vector<JournalRecord> run = {test::journalRecord("launch-time", 0, 600)};
    for (int i = 0; i < 12; ++i)
        run.push_back(test::journalRecord("event-passed", 0, 600, {{"number", "1"}, {"name", "Event " + std::to_string(i)}}));
    run.push_back(test::journalRecord("exit", 600, 0));
    const Drawing d = runTimeline(run, TimeZone::utc(), 960, 420);
    int named = 0;
    for (const DrawItem& item : d.items) {
        if (item.kind != DrawItem::Kind::Text)
            continue;
        named += item.text.starts_with("Event ");
        EXPECT_GE(item.points[0].second - item.size * 1.05, 0) << item.text;
    }
    EXPECT_GE(named, 3);
    EXPECT_LT(named, 12);
}

// The report's head as a browser reads it, and the bands of a planned run in its picture.
TEST(Debrief, TheHtmlReportsHeadAndItsPlannedRunsBands) {
    EXPECT_EQ(debriefHtmlHead("Mission <1> & \"2\""),
              "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
              "<title>Mission &lt;1&gt; &amp; &quot;2&quot;</title>\n<style>\n"
              "body { font-family: sans-serif; margin: 2em; color: #202020; }\n"
              "table { border-collapse: collapse; margin: 1em 0; }\n"
              "th, td { border: 1px solid #c8c8c8; padding: 0.25em 0.6em; text-align: left; }\n"
              "th { background: #eeeeee; }\n"
              "td.count { font-family: monospace; white-space: nowrap; }\n"
              "section.run { margin-bottom: 3em; }\n"
              "</style>\n</head>\n<body>\n<h1>Mission &lt;1&gt; &amp; &quot;2&quot;</h1>\n");
    EXPECT_EQ(debriefHtmlEnd(false), "<p>The journal holds no runs.</p>\n</body>\n</html>\n");
    EXPECT_EQ(debriefHtmlEnd(true), "</body>\n</html>\n");
    EXPECT_EQ(debriefHtml({}, TimeZone::utc(), "T"), debriefHtmlHead("T") + debriefHtmlEnd(false));

    std::vector<JournalRecord> run = plannedRehearsal();
    run[5].details.front().second = "Go & \"no-go\"";
    const std::string html = debriefHtml({run}, TimeZone::utc(), "Debrief");
    EXPECT_NE(html.find("<rect class=\"built-in-hold\" data-start-ms=\"988885800000\" "
                        "data-end-ms=\"988886100000\" data-planned-end-ms=\"988886100000\" "
                        "data-label=\"Built-in hold\" x=\""),
              std::string::npos);
    EXPECT_NE(html.find("data-label=\"Go &amp; &quot;no-go&quot;\""), std::string::npos);
    EXPECT_NE(html.find("<rect class=\"built-in-overrun\" data-from-ms=\"988887060000\" "
                        "data-end-ms=\"988887120000\" x=\""),
              std::string::npos);
    // The legend's swatches are outlined in the report as in the window; the bands are not.
    EXPECT_NE(html.find("<rect class=\"legend\" data-for=\"built-in hold\""), std::string::npos);
    const std::size_t swatch = html.find("<rect class=\"legend\" data-for=\"hold\"");
    ASSERT_NE(swatch, std::string::npos);
    EXPECT_NE(html.find("fill=\"#FFE7A3\" stroke=\"#9A9A9A\" stroke-width=\"1.0\"/>", swatch),
              std::string::npos);
    const std::size_t band = html.find("<rect class=\"hold\"");
    ASSERT_NE(band, std::string::npos);
    EXPECT_EQ(html.substr(band, html.find('\n', band) - band).find("stroke"), std::string::npos);
    EXPECT_NE(html.find(">past its planned end</text>"), std::string::npos);
    EXPECT_NE(html.find("<tr><th>Built-in holds</th><td>2, 0:09:00 in all, planned 0:08:00</td></tr>"),
              std::string::npos);
    EXPECT_NE(html.find("2001-05-03 11:01:00, slip against the plan 0:03:00"), std::string::npos);
    EXPECT_NE(html.find("<tr><th>Planned liftoff</th><td>2001-05-03 10:58:00</td></tr>"),
              std::string::npos);

    // A run without a plan says nothing of built-in holds.
    const std::string plain = debriefHtml({test::rehearsal()}, TimeZone::utc(), "Debrief");
    EXPECT_EQ(plain.find("Built-in"), std::string::npos);
    EXPECT_EQ(plain.find("built-in"), std::string::npos);
    EXPECT_NE(plain.find(", slip 0:02:00"), std::string::npos);
    const RunTotals empty = runTotals({});
    EXPECT_FALSE(empty.plannedLaunchMs);
    EXPECT_FALSE(empty.slipSeconds);
}

} // namespace
} // namespace orvane
