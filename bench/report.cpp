// The table of figures and the PASS/FAIL line of each target.

#include "bench.h"

#include <cstdio>
#include <set>
#include <string>

namespace bench {

namespace {

// The targets the program is held to; the literal scheduling is measured only to compare.
constexpr double MaxCpuPercent = 0.3;
constexpr double MinCpuRatio = 15.0;
constexpr double MaxP50Ms = 1.0;
constexpr double MaxP99Ms = 2.0;
constexpr double MaxLatencyMs = 20.0;
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

void row(const std::string& label, const std::vector<std::string>& cells) {
    std::printf("  %-34s", label.c_str());
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

// The run of the program as built that pairs with a literal one, or the other way round.
const RunResult* partner(const std::vector<RunResult>& runs, const RunResult& r) {
    for (const RunResult& o : runs)
        if (o.config.platform == r.config.platform && o.config.busy == r.config.busy &&
            o.config.literal != r.config.literal && o.error.empty())
            return &o;
    return nullptr;
}

void table(const std::vector<RunResult>& all, bool busy) {
    std::vector<const RunResult*> runs;
    for (const RunResult& r : all)
        if (r.config.busy == busy)
            runs.push_back(&r);
    if (runs.empty())
        return;
    std::printf("\n%s\n", busy ? "With the other core busy:" : "With the machine otherwise idle:");
    std::vector<std::string> heads;
    for (const RunResult* r : runs)
        heads.push_back(columnName(r->config));
    row("", heads);
    row("CPU, % of one core", runs, [&](const RunResult& r) {
        std::string cell = fixed(r.cpuPercent, 3);
        if (const RunResult* lit = partner(all, r); lit && !r.config.literal && r.cpuPercent > 0)
            cell = std::string("(").append(fixed(lit->cpuPercent / r.cpuPercent, 1)) + "x less) " +
                   cell;
        return cell;
    });
    auto spreadRows = [&](const std::string& what, Spread RunResult::*s) {
        row(what + " p50 / p99 / max, ms", runs, [&](const RunResult& r) {
            const Spread& v = r.*s;
            return v.samples ? fixed(v.p50, 2) + " " + fixed(v.p99, 2) + " " + fixed(v.max, 2)
                             : std::string("none");
        });
    };
    spreadRows("label text set", &RunResult::text);
    spreadRows("label painted", &RunResult::paint);
    row("seconds shown, skipped, repeated", runs, [](const RunResult& r) {
        return std::to_string(r.secondsMeasured) + ", " + std::to_string(r.skipped) + ", " +
               std::to_string(r.repeated);
    });
    row("seconds never painted", runs,
        [](const RunResult& r) { return std::to_string(r.unpainted); });
    row("peak resident memory, MB", runs, [](const RunResult& r) { return fixed(r.peakRssMb, 1); });
    row("start to first painted count, ms", runs, [](const RunResult& r) {
        return r.firstPaintMs ? fixed(*r.firstPaintMs, 0) : std::string("none");
    });
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
    for (const RunResult* r : runs)
        if (!r->error.empty())
            std::printf("  %s: %s\n", columnName(r->config).c_str(), r->error.c_str());
}

bool verdict(bool pass, const std::string& text) {
    std::printf("%s  %s\n", pass ? "PASS" : "FAIL", text.c_str());
    return pass;
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
            std::printf("  %-34s %s\n", d.name.c_str(),
                        d.error.empty() ? (fixed(d.seconds, 3) + " s").c_str() : d.error.c_str());
    }
    std::printf("\n");
}

bool printTargets(const std::vector<RunResult>& runs, const std::vector<DayResult>& days) {
    bool all = true;
    for (const RunResult& r : runs) {
        if (r.config.literal)
            continue;
        const std::string where =
            platformName(r.config) + (r.config.busy ? ", other core busy" : "");
        if (!r.error.empty()) {
            all &= verdict(false, where + ": the run failed: " + r.error);
            continue;
        }
        auto latency = [&](const std::string& what, const Spread& s) {
            all &= verdict(s.samples > 0 && s.p50 <= MaxP50Ms && s.p99 <= MaxP99Ms &&
                               s.max <= MaxLatencyMs,
                           "flip latency, " + what + ", " + where + ": p50 " + fixed(s.p50, 2) +
                               " <= 1 ms, p99 " + fixed(s.p99, 2) + " <= 2 ms, max " +
                               fixed(s.max, 2) + " <= 20 ms");
        };
        latency("label text set", r.text);
        latency("label painted", r.paint);
        all &= verdict(r.skipped == 0 && r.repeated == 0 && r.secondsMeasured > 0,
                       "every second shown once, " + where + ": " + std::to_string(r.skipped) +
                           " skipped, " + std::to_string(r.repeated) + " repeated in " +
                           std::to_string(r.secondsMeasured) + " s");
        if (r.config.busy)
            continue;
        all &= verdict(r.cpuPercent <= MaxCpuPercent,
                       "CPU, " + where + ": " + fixed(r.cpuPercent, 3) + " % <= 0.3 % of one core");
        if (const RunResult* lit = partner(runs, r)) {
            const double ratio = r.cpuPercent > 0 ? lit->cpuPercent / r.cpuPercent : 1e9;
            all &= verdict(ratio >= MinCpuRatio, "CPU against literal timers, " + where + ": " +
                                                     fixed(ratio, 1) + " times less >= 15");
        }
        all &= verdict(r.firstPaintMs && *r.firstPaintMs <= MaxFirstPaintMs,
                       "start to first painted count, " + where + ": " +
                           (r.firstPaintMs ? fixed(*r.firstPaintMs, 0) : std::string("none")) +
                           " ms <= 120 ms");
        all &= verdict(r.peakRssMb <= MaxRssMb, "peak resident memory, " + where + ": " +
                                                    fixed(r.peakRssMb, 1) + " MB <= 40 MB");
    }
    for (const DayResult& d : days)
        all &= verdict(d.error.empty() && d.seconds <= MaxDaySeconds,
                       "simulated day, " + d.name + ": " +
                           (d.error.empty() ? fixed(d.seconds, 3) + " s" : d.error) +
                           " <= " + fixed(MaxDaySeconds, 1) + " s");
    return all;
}

} // namespace bench
