// The table of figures and the PASS/FAIL line of each target.

#include "bench.h"

#include <cmath>
#include <cstdio>
#include <set>
#include <string>

namespace bench {

namespace {

// The targets the program is held to; the literal scheduling is measured only to compare.
constexpr double MaxP50Ms = 1.0;
constexpr double MaxP99Ms = 2.0;
constexpr double MaxLatencyMs = 20.0;
constexpr double MaxPaintAboveLiteralMs = 0.3;
constexpr double MaxWakeUpsPerSecond = 3.0;
constexpr double MaxCpuOffscreen = 0.1;
constexpr double MaxCpuXvfb = 0.2;
constexpr double MaxFirstPaintMs = 120.0;
constexpr double MaxRssMb = 40.0;
constexpr double MaxDaySeconds = 0.5;

std::string platformName(const RunConfig& c) {
    return c.platform == "xcb" ? "Xvfb" : "offscreen";
}

std::string columnName(const RunConfig& c) {
    return platformName(c) + (c.literal ? " literal" : " as built");
}

std::string fixed(double v, int decimals) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
    return buf;
}

// "VALUE <= LIMIT": the comparison is made on the unrounded figures, which print with one
// decimal (or as many as asked), or with as many more as it takes to tell them apart when
// they differ.
std::string atMost(double value, double limit, const std::string& unit, int decimals = 1) {
    while (decimals < 4 && value != limit && fixed(value, decimals) == fixed(limit, decimals))
        ++decimals;
    return fixed(value, decimals) + " " + unit + " <= " + fixed(limit, decimals) + " " + unit;
}

void row(const std::string& label, const std::vector<std::string>& cells) {
    std::printf("  %-38s", label.c_str());
    for (const std::string& c : cells)
        std::printf(" %18s", c.c_str());
    std::printf("\n");
}

template <class F>
void row(const std::string& label, const std::vector<const RunResult*>& runs, F&& cell) {
    std::vector<std::string> cells;
    for (const RunResult* r : runs)
        cells.push_back(r->error.empty() ? cell(*r) : std::string("-"));
    row(label, cells);
}

// The literal run that pairs with a run of the program as built.
const RunResult* literalPartner(const std::vector<RunResult>& runs, const RunResult& r) {
    for (const RunResult& o : runs)
        if (o.config.platform == r.config.platform && o.config.busy == r.config.busy &&
            o.config.literal && !r.config.literal && o.error.empty())
            return &o;
    return nullptr;
}

std::string shownCell(const SecondsShown& s) {
    return std::to_string(s.measured) + ", " + std::to_string(s.skipped) + ", " +
           std::to_string(s.repeated);
}

void spreadRow(const std::string& what, const std::vector<const RunResult*>& runs,
               Spread RunResult::*s) {
    row(what + " p50 / p99 / max, ms", runs, [&](const RunResult& r) {
        const Spread& v = r.*s;
        return v.samples ? fixed(v.p50, 2) + " " + fixed(v.p99, 2) + " " + fixed(v.max, 2)
                         : std::string("none");
    });
}

void tickRows(const std::vector<const RunResult*>& runs) {
    std::set<std::string> timers;
    for (const RunResult* r : runs)
        for (const auto& [name, rate] : r->ticksPerSecond)
            if (rate > 0)
                timers.insert(name);
    for (const std::string& t : timers)
        row("ticks/s " + t, runs, [&](const RunResult& r) {
            auto it = r.ticksPerSecond.find(t);
            return it == r.ticksPerSecond.end() ? std::string("0") : fixed(it->second, 2);
        });
}

void table(const std::vector<RunResult>& all, bool busy) {
    std::vector<const RunResult*> runs;
    for (const RunResult& r : all)
        if (r.config.busy == busy)
            runs.push_back(&r);
    if (runs.empty())
        return;
    std::printf("\n%s, %d s a run:\n",
                busy ? "With the other core busy" : "With the machine otherwise idle",
                runs.front()->config.seconds);
    std::vector<std::string> heads;
    for (const RunResult* r : runs)
        heads.push_back(columnName(r->config));
    row("", heads);
    row("CPU, % of one core", runs, [](const RunResult& r) { return fixed(r.cpuPercent, 3); });
    row("wake-ups a second", runs, [](const RunResult& r) { return fixed(r.wakeUpsPerSecond, 2); });
    row("  of them Qt's X connection reader", runs,
        [](const RunResult& r) { return fixed(r.xReaderWakeUpsPerSecond, 2); });
    row("preemptions a second", runs,
        [](const RunResult& r) { return fixed(r.preemptionsPerSecond, 2); });
    spreadRow("main count text set", runs, &RunResult::text);
    spreadRow("main count painted", runs, &RunResult::paint);
    spreadRow("board row text set", runs, &RunResult::rowText);
    spreadRow("board colour set", runs, &RunResult::colorSet);
    row("board colour changes timed", runs,
        [](const RunResult& r) { return std::to_string(r.colorSet.samples); });
    row("main seconds shown, skipped, repeated", runs,
        [](const RunResult& r) { return shownCell(r.main); });
    row("row seconds shown, skipped, repeated", runs,
        [](const RunResult& r) { return shownCell(r.rows); });
    row("seconds never painted", runs,
        [](const RunResult& r) { return std::to_string(r.unpainted); });
    row("peak resident memory, MB", runs, [](const RunResult& r) { return fixed(r.peakRssMb, 1); });
    row("start to first painted count, ms", runs, [](const RunResult& r) {
        return r.firstPaintMs ? fixed(*r.firstPaintMs, 1) : std::string("none");
    });
    tickRows(runs);
    for (const RunResult* r : runs)
        if (!r->error.empty())
            std::printf("  %s: %s\n", columnName(r->config).c_str(), r->error.c_str());
}

bool verdict(bool pass, const std::string& text) {
    std::printf("%s  %s\n", pass ? "PASS" : "FAIL", text.c_str());
    return pass;
}

bool latencyTarget(const std::string& what, const Spread& s) {
    if (s.samples == 0)
        return verdict(false, what + ": nothing to time while measuring");
    return verdict(s.p50 <= MaxP50Ms && s.p99 <= MaxP99Ms && s.max <= MaxLatencyMs,
                   what + ": p50 " + atMost(s.p50, MaxP50Ms, "ms") + ", p99 " +
                       atMost(s.p99, MaxP99Ms, "ms") + ", max " +
                       atMost(s.max, MaxLatencyMs, "ms") + " (" + std::to_string(s.samples) +
                       (s.samples == 1 ? " sample)" : " samples)"));
}

bool paintTarget(const std::string& where, const RunResult& r, const RunResult& lit) {
    const double p50 = lit.paint.p50 + MaxPaintAboveLiteralMs;
    const double p99 = lit.paint.p99 + MaxPaintAboveLiteralMs;
    return verdict(r.paint.samples > 0 && r.paint.p50 <= p50 && r.paint.p99 <= p99,
                   "main count painted against literal timers + 0.3 ms, " + where + ": p50 " +
                       atMost(r.paint.p50, p50, "ms") + ", p99 " + atMost(r.paint.p99, p99, "ms"));
}

bool secondsTarget(const std::string& where, const RunResult& r) {
    const bool pass = r.main.measured > 0 && r.main.skipped == 0 && r.main.repeated == 0 &&
                      r.rows.skipped == 0 && r.rows.repeated == 0;
    return verdict(pass, "every second shown once, " + where + ": main count " +
                             std::to_string(r.main.skipped) + " skipped, " +
                             std::to_string(r.main.repeated) + " repeated in " +
                             std::to_string(r.main.measured) + " s; ten rows " +
                             std::to_string(r.rows.skipped) + " skipped, " +
                             std::to_string(r.rows.repeated) + " repeated");
}

bool runTargets(const std::vector<RunResult>& runs, const RunResult& r) {
    const std::string where = platformName(r.config) + (r.config.busy ? ", other core busy" : "");
    if (!r.error.empty())
        return verdict(false, where + ": the run failed: " + r.error);
    bool all = latencyTarget("main count text set, " + where, r.text);
    all &= latencyTarget("board row text set, " + where, r.rowText);
    all &= latencyTarget("board colour set, " + where, r.colorSet);
    all &= secondsTarget(where, r);
    // With the other core busy only the latencies and the seconds shown are held to targets.
    if (r.config.busy)
        return all;
    if (const RunResult* lit = literalPartner(runs, r))
        all &= paintTarget(where, r, *lit);
    all &= verdict(r.wakeUpsPerSecond <= MaxWakeUpsPerSecond,
                   "wake-ups, " + where + ": " +
                       atMost(r.wakeUpsPerSecond, MaxWakeUpsPerSecond, "a second"));
    const double maxCpu = r.config.platform == "xcb" ? MaxCpuXvfb : MaxCpuOffscreen;
    all &= verdict(r.cpuPercent <= maxCpu,
                   "CPU, " + where + ": " + atMost(r.cpuPercent, maxCpu, "%", 3) + " of one core");
    all &= verdict(r.firstPaintMs && *r.firstPaintMs <= MaxFirstPaintMs,
                   "start to first painted count, " + where + ": " +
                       (r.firstPaintMs ? atMost(*r.firstPaintMs, MaxFirstPaintMs, "ms")
                                       : std::string("none")));
    all &= verdict(r.peakRssMb <= MaxRssMb,
                   "peak resident memory, " + where + ": " + atMost(r.peakRssMb, MaxRssMb, "MB"));
    return all;
}

} // namespace

void printReport(const std::vector<RunResult>& runs, const std::vector<DayResult>& days,
                 const std::string& machine) {
    std::printf("%s\n", machine.c_str());
    table(runs, false);
    table(runs, true);
    if (!days.empty()) {
        std::printf("\nSimulated day (the scenario runner, advance 1d, best of 3):\n");
        for (const DayResult& d : days)
            std::printf("  %-38s %s\n", d.name.c_str(),
                        d.error.empty() ? (fixed(d.seconds, 3) + " s").c_str() : d.error.c_str());
    }
    std::printf("\n");
}

bool printTargets(const std::vector<RunResult>& runs, const std::vector<DayResult>& days,
                  const DayCheck& dayCheck) {
    bool all = true;
    for (const RunResult& r : runs)
        if (!r.config.literal)
            all &= runTargets(runs, r);
    if (dayCheck.ran)
        all &= verdict(dayCheck.pass,
                       "every second shown once, simulated day, both windows and ten events: " +
                           dayCheck.account);
    for (const DayResult& d : days)
        all &= verdict(d.error.empty() && d.seconds <= MaxDaySeconds,
                       "simulated day, " + d.name + ": " +
                           (d.error.empty() ? atMost(d.seconds, MaxDaySeconds, "s", 3) : d.error));
    return all;
}

} // namespace bench
