// The table of figures, with the floor beside each, and the PASS/FAIL line of each target.

#include "bench.h"

#include <cmath>
#include <cstdio>
#include <optional>
#include <set>
#include <string>

namespace bench {

namespace {

// The targets the program is held to, as distances from the floor this machine allows (the
// bare label of the same platform, measured in the same run and under the same load). The
// literal scheduling is measured to compare, and for the start.
constexpr double MaxP50AboveFloorMs = 0.2;
constexpr double MaxP99AboveFloorMs = 1.0;
constexpr double MaxCpuTimesFloor = 2.0;
constexpr double MaxStartAboveLiteralMs = 10.0;
constexpr double MaxStartAboveFloorMs = 60.0;
// Counts rather than times, the same on any machine.
constexpr double MaxWakeUpsPerSecond = 3.0;
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

// "VALUE <= LIMIT": the comparison is made on the unrounded figures, which print with two
// decimals (or as many as asked), or with as many more as it takes to tell them apart when
// they differ.
std::string atMost(double value, double limit, const std::string& unit, int decimals = 2) {
    while (decimals < 4 && value != limit && fixed(value, decimals) == fixed(limit, decimals))
        ++decimals;
    return fixed(value, decimals) + " " + unit + " <= " + fixed(limit, decimals) + " " + unit;
}

void row(const std::string& label, const std::vector<std::string>& cells) {
    std::printf("  %-44s", label.c_str());
    for (const std::string& c : cells)
        std::printf(" %18s", c.c_str());
    std::printf("\n");
}

template <class F>
void row(const std::string& label, const std::vector<const RunResult*>& runs, F&& cell) {
    std::vector<std::string> cells;
    for (const RunResult* r : runs)
        cells.push_back(r && r->error.empty() ? cell(*r) : std::string("-"));
    row(label, cells);
}

// The floor a run is held against: the bare label on its platform, under the same load, run
// for the same scene (a feature's floor is its own).
const RunResult* floorOf(const std::vector<RunResult>& runs, const RunResult& r) {
    for (const RunResult& o : runs)
        if (o.config.subject == Subject::BareLabel && o.config.platform == r.config.platform &&
            o.config.busy == r.config.busy && o.config.scene == r.config.scene)
            return &o;
    return nullptr;
}

const RunResult* wakeFloor(const std::vector<RunResult>& runs, bool busy) {
    for (const RunResult& o : runs)
        if (o.config.subject == Subject::BareWake && o.config.busy == busy)
            return &o;
    return nullptr;
}

// The literal run that pairs with a run of the program as built.
const RunResult* literalPartner(const std::vector<RunResult>& runs, const RunResult& r) {
    for (const RunResult& o : runs)
        if (o.config.subject == Subject::Program && o.config.platform == r.config.platform &&
            o.config.busy == r.config.busy && o.config.literal && !r.config.literal)
            return &o;
    return nullptr;
}

std::string shownCell(const SecondsShown& s) {
    return std::to_string(s.measured) + ", " + std::to_string(s.skipped) + ", " +
           std::to_string(s.repeated);
}

std::string spreadCell(const Spread& v) {
    if (!v.samples)
        return "none";
    return fixed(v.p50, 2) + " " + (v.hasP99() ? fixed(v.p99, 2) : std::string("-")) + " " +
           fixed(v.max, 2);
}

// The figure of each program run, then on a line of its own the floor's beside it.
template <class F>
void withFloor(const std::string& label, const std::string& floorLabel,
               const std::vector<const RunResult*>& runs, const std::vector<const RunResult*>& floors,
               F&& cell) {
    row(label, runs, cell);
    row("  floor: " + floorLabel, floors, cell);
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
    std::vector<const RunResult*> runs, floors, wakes;
    for (const RunResult& r : all)
        if (r.config.busy == busy && r.config.subject == Subject::Program &&
            r.config.scene == Scene::Board) {
            runs.push_back(&r);
            floors.push_back(floorOf(all, r));
            wakes.push_back(wakeFloor(all, busy));
        }
    if (runs.empty())
        return;
    std::printf("\n%s, %d s a run:\n",
                busy ? "With the other core busy" : "With the machine otherwise idle",
                runs.front()->config.seconds);
    std::vector<std::string> heads;
    for (const RunResult* r : runs)
        heads.push_back(columnName(r->config));
    row("", heads);
    row("floor: bare wake-up late p50 / p99 / max, ms", wakes,
        [](const RunResult& r) { return spreadCell(r.text); });
    auto cpu = [](const RunResult& r) { return fixed(r.cpuPercent, 3); };
    withFloor("CPU, % of one core", "bare label", runs, floors, cpu);
    auto wakeUps = [](const RunResult& r) { return fixed(r.wakeUpsPerSecond, 2); };
    withFloor("wake-ups a second", "bare label", runs, floors, wakeUps);
    row("  of them Qt's X connection reader", runs,
        [](const RunResult& r) { return fixed(r.xReaderWakeUpsPerSecond, 2); });
    row("preemptions a second", runs,
        [](const RunResult& r) { return fixed(r.preemptionsPerSecond, 2); });
    auto text = [](const RunResult& r) { return spreadCell(r.text); };
    withFloor("main count text set p50 / p99 / max, ms", "bare label set", runs, floors,
              [](const RunResult& r) { return spreadCell(r.text); });
    withFloor("main count painted p50 / p99 / max, ms", "bare label painted", runs, floors,
              [](const RunResult& r) { return spreadCell(r.paint); });
    row("board row text set p50 / p99 / max, ms", runs,
        [](const RunResult& r) { return spreadCell(r.rowText); });
    row("  floor: bare label set", floors, text);
    row("board colour set p50 / p99 / max, ms", runs,
        [](const RunResult& r) { return spreadCell(r.colorSet); });
    row("  floor: bare label set", floors, text);
    row("board colour changes timed", runs,
        [](const RunResult& r) { return std::to_string(r.colorSet.samples); });
    row("main seconds shown, skipped, repeated", runs,
        [](const RunResult& r) { return shownCell(r.main); });
    row("row seconds shown, skipped, repeated", runs,
        [](const RunResult& r) { return shownCell(r.rows); });
    auto unpainted = [](const RunResult& r) { return std::to_string(r.unpainted); };
    withFloor("seconds never painted", "bare label", runs, floors, unpainted);
    auto rss = [](const RunResult& r) { return fixed(r.peakRssMb, 1); };
    withFloor("peak resident memory, MB", "bare label", runs, floors, rss);
    row("  of its sound process, apart, MB", runs,
        [](const RunResult& r) { return fixed(r.childrenPeakRssMb, 1); });
    if (!busy) {
        auto start = [](const RunResult& r) {
            const auto m = r.startMedianMs();
            return m ? fixed(*m, 1) + " of " + std::to_string(r.startsMs.size())
                     : std::string("none");
        };
        withFloor("start to first painted count, median, ms", "bare label", runs, floors, start);
    }
    tickRows(runs);
    std::printf("  (p99 shows as - over fewer than %d samples: the max stands in for it)\n",
                Spread::MinSamplesForP99);
    for (const RunResult& r : all)
        if (r.config.busy == busy && r.config.scene == Scene::Board && !r.error.empty())
            std::printf("  %s: %s\n",
                        r.config.subject == Subject::Program     ? columnName(r.config).c_str()
                        : r.config.subject == Subject::BareLabel ? "bare label"
                                                                 : "bare wake-up",
                        r.error.c_str());
}

bool verdict(bool pass, const std::string& text) {
    std::printf("%s  %s\n", pass ? "PASS" : "FAIL", text.c_str());
    return pass;
}

std::string samplesText(int n) {
    return std::to_string(n) + (n == 1 ? " sample" : " samples");
}

// A latency held against the bare label's: p50 within 0.2 ms of the floor's, p99 within 1 ms
// of it where both have samples enough for a p99; otherwise the maxima are only shown.
bool latencyTarget(const std::string& what, const Spread& s, const Spread& floor) {
    if (s.samples == 0)
        return verdict(false, what + ": nothing to time while measuring");
    if (floor.samples == 0)
        return verdict(false, what + ": the floor timed nothing");
    const double p50 = floor.p50 + MaxP50AboveFloorMs;
    bool pass = s.p50 <= p50;
    std::string text = what + ": p50 " + atMost(s.p50, p50, "ms") + " (floor " +
                       fixed(floor.p50, 2) + " + 0.2)";
    if (s.hasP99() && floor.hasP99()) {
        const double p99 = floor.p99 + MaxP99AboveFloorMs;
        pass &= s.p99 <= p99;
        text += ", p99 " + atMost(s.p99, p99, "ms") + " (floor " + fixed(floor.p99, 2) + " + 1)";
    } else {
        text += ", no p99 under " + std::to_string(Spread::MinSamplesForP99) + " samples: max " +
                fixed(s.max, 2) + " ms, floor's max " + fixed(floor.max, 2) + " ms";
    }
    return verdict(pass, text + " (" + samplesText(s.samples) + ", floor " +
                             samplesText(floor.samples) + ")");
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

bool startTarget(const std::string& where, const RunResult& r, const RunResult* lit,
                 const RunResult& floor) {
    const auto mine = r.startMedianMs();
    const auto literal = lit ? lit->startMedianMs() : std::nullopt;
    const auto bare = floor.startMedianMs();
    const std::string what = "start to first painted count, median of " +
                             std::to_string(r.startsMs.size()) + ", " + where + ": ";
    if (!mine || !literal || !bare)
        return verdict(false, what + "a start did not paint");
    const double againstLiteral = *literal + MaxStartAboveLiteralMs;
    const double againstFloor = *bare + MaxStartAboveFloorMs;
    return verdict(*mine <= againstLiteral && *mine <= againstFloor,
                   what + atMost(*mine, againstLiteral, "ms", 1) + " (literal timers + 10), " +
                       atMost(*mine, againstFloor, "ms", 1) + " (floor + 60)");
}

bool runTargets(const std::vector<RunResult>& runs, const RunResult& r) {
    const std::string where = platformName(r.config) + (r.config.busy ? ", other core busy" : "");
    if (!r.error.empty())
        return verdict(false, where + ": the run failed: " + r.error);
    const RunResult* floor = floorOf(runs, r);
    if (!floor || !floor->error.empty())
        return verdict(false, where + ": the bare label failed" +
                                  (floor ? ": " + floor->error : std::string()));
    bool all = latencyTarget("main count text set, " + where, r.text, floor->text);
    all &= latencyTarget("main count painted, " + where, r.paint, floor->paint);
    all &= latencyTarget("board row text set, " + where, r.rowText, floor->text);
    all &= latencyTarget("board colour set, " + where, r.colorSet, floor->text);
    all &= secondsTarget(where, r);
    // With the other core busy only the latencies and the seconds shown are held to targets.
    if (r.config.busy)
        return all;
    const double maxCpu = MaxCpuTimesFloor * floor->cpuPercent;
    all &= verdict(r.cpuPercent <= maxCpu, "CPU, " + where + ": " +
                                               atMost(r.cpuPercent, maxCpu, "%", 3) +
                                               " of one core (floor " +
                                               fixed(floor->cpuPercent, 3) + " x 2)");
    all &= verdict(r.wakeUpsPerSecond <= MaxWakeUpsPerSecond,
                   "wake-ups, " + where + ": " +
                       atMost(r.wakeUpsPerSecond, MaxWakeUpsPerSecond, "a second", 1));
    all &= startTarget(where, r, literalPartner(runs, r), *floor);
    all &= verdict(r.peakRssMb <= MaxRssMb, "peak resident memory, " + where + ": " +
                                                atMost(r.peakRssMb, MaxRssMb, "MB", 1));
    return all;
}

const char* featureName(Scene scene) {
    switch (scene) {
    case Scene::Present:
        return "present, Xvfb 4K";
    case Scene::Callouts:
        return "callouts on";
    case Scene::Journal:
        return "journal";
    case Scene::Plan:
        return "plan, 20 holds";
    case Scene::Board:
        break;
    }
    return "clock";
}

std::string kilobytes(std::int64_t bytes) {
    return bytes < 0 ? std::string("none") : fixed(double(bytes) / 1024.0, 1);
}

// The journal's growth while measuring, scaled to an hour, in megabytes: by the bytes its
// pages hold where SQLite could tell them, else by whole pages.
std::optional<double> journalGrowthMbPerHour(const RunResult& r) {
    const JournalSize& a = r.journalBefore;
    const JournalSize& b = r.journalAfter;
    if (r.config.seconds <= 0)
        return std::nullopt;
    const std::int64_t grown = a.used >= 0 && b.used >= 0     ? b.used - a.used
                               : a.pages >= 0 && b.pages >= 0 ? b.pages - a.pages
                                                              : -1;
    if (grown < 0)
        return std::nullopt;
    return double(grown) / double(r.config.seconds) * 3600.0 / (1024.0 * 1024.0);
}

// The features' rows: each program run in its scene, its own floor under it.
void featureTable(const std::vector<RunResult>& all) {
    std::vector<const RunResult*> runs, floors;
    for (Scene scene : {Scene::Present, Scene::Callouts, Scene::Journal, Scene::Plan})
        for (const RunResult& r : all)
            if (r.config.subject == Subject::Program && r.config.scene == scene) {
                runs.push_back(&r);
                floors.push_back(floorOf(all, r));
            }
    if (runs.empty())
        return;
    std::printf("\nFeatures, each beside a floor of its own, %d s a run:\n",
                runs.front()->config.seconds);
    std::vector<std::string> heads;
    for (const RunResult* r : runs)
        heads.push_back(featureName(r->config.scene));
    row("", heads);
    auto platform = [](const RunResult& r) { return platformName(r.config); };
    row("platform", runs, platform);
    withFloor("CPU, % of one core", "bare label", runs, floors,
              [](const RunResult& r) { return fixed(r.cpuPercent, 3); });
    withFloor("wake-ups a second", "bare label", runs, floors,
              [](const RunResult& r) { return fixed(r.wakeUpsPerSecond, 2); });
    row("  of them Qt's X connection reader", runs,
        [](const RunResult& r) { return fixed(r.xReaderWakeUpsPerSecond, 2); });
    row("preemptions a second", runs,
        [](const RunResult& r) { return fixed(r.preemptionsPerSecond, 2); });
    // The present window's count is held against its own floor, a label as large; the main
    // count against the bare label of the other features.
    auto present = [](auto&& cell) {
        return [cell](const RunResult& r) {
            return r.config.scene == Scene::Present ? cell(r) : std::string("-");
        };
    };
    auto notPresent = [](auto&& cell) {
        return [cell](const RunResult& r) {
            return r.config.scene != Scene::Present ? cell(r) : std::string("-");
        };
    };
    row("present count text set p50 / p99 / max, ms", runs,
        present([](const RunResult& r) { return spreadCell(r.presentText); }));
    row("  floor: bare label 3840x2160 set", floors,
        present([](const RunResult& r) { return spreadCell(r.text); }));
    row("present count painted p50 / p99 / max, ms", runs,
        present([](const RunResult& r) { return spreadCell(r.presentPaint); }));
    row("  floor: bare label 3840x2160 painted", floors,
        present([](const RunResult& r) { return spreadCell(r.paint); }));
    row("present seconds shown, skipped, repeated", runs,
        present([](const RunResult& r) { return shownCell(r.present); }));
    row("present seconds never painted", runs,
        present([](const RunResult& r) { return std::to_string(r.presentUnpainted); }));
    row("main count text set p50 / p99 / max, ms", runs,
        [](const RunResult& r) { return spreadCell(r.text); });
    row("  floor: bare label set", floors,
        notPresent([](const RunResult& r) { return spreadCell(r.text); }));
    row("main count painted p50 / p99 / max, ms", runs,
        [](const RunResult& r) { return spreadCell(r.paint); });
    row("  floor: bare label painted", floors,
        notPresent([](const RunResult& r) { return spreadCell(r.paint); }));
    row("main seconds shown, skipped, repeated", runs,
        [](const RunResult& r) { return shownCell(r.main); });
    withFloor("seconds never painted", "bare label", runs, floors,
              [](const RunResult& r) { return std::to_string(r.unpainted); });
    withFloor("peak resident memory, MB", "bare label", runs, floors,
              [](const RunResult& r) { return fixed(r.peakRssMb, 1); });
    row("  of its sound process, apart, MB", runs,
        [](const RunResult& r) { return fixed(r.childrenPeakRssMb, 1); });
    auto journal = [](auto&& cell) {
        return [cell](const RunResult& r) {
            return r.config.scene == Scene::Journal ? cell(r) : std::string("-");
        };
    };
    row("happenings while measuring", runs,
        journal([](const RunResult& r) { return std::to_string(r.happenings); }));
    row("journal held before / after measuring, KB", runs, journal([](const RunResult& r) {
            return kilobytes(r.journalBefore.used) + " / " + kilobytes(r.journalAfter.used);
        }));
    row("journal pages before / after, KB", runs, journal([](const RunResult& r) {
            return kilobytes(r.journalBefore.pages) + " / " + kilobytes(r.journalAfter.pages);
        }));
    row("journal growth per hour, MB", runs, journal([](const RunResult& r) {
            const auto mb = journalGrowthMbPerHour(r);
            return mb ? fixed(*mb, 2) : std::string("none");
        }));
    std::printf("  (p99 shows as - over fewer than %d samples: the max stands in for it)\n",
                Spread::MinSamplesForP99);
    for (std::size_t n = 0; n < runs.size(); ++n) {
        const RunResult& r = *runs[n];
        if (r.config.scene == Scene::Present && r.presentBox)
            std::printf("  present count fitted to %s (width, height, bold, face); its floor: "
                        "a bare label of %s, its digits fitted alike\n",
                        r.presentBox->c_str(), PresentScreenSize);
        if (r.config.scene == Scene::Journal)
            std::printf("  journal: read by a reader of its own at the start and end of "
                        "measuring, the write-ahead log included: held, the bytes its pages hold "
                        "(dbstat); pages, page_count x page_size; the growth by what they "
                        "hold\n");
        for (const RunResult* x : {runs[n], floors[n]})
            if (x && !x->error.empty())
                std::printf("  %s%s: %s\n", featureName(r.config.scene),
                            x == runs[n] ? "" : ", bare label", x->error.c_str());
        if (!floors[n])
            std::printf("  %s: no bare label ran\n", featureName(r.config.scene));
    }
}

bool cpuTarget(const std::string& where, const RunResult& r, const RunResult& floor) {
    const double maxCpu = MaxCpuTimesFloor * floor.cpuPercent;
    return verdict(r.cpuPercent <= maxCpu, "CPU, " + where + ": " +
                                               atMost(r.cpuPercent, maxCpu, "%", 3) +
                                               " of one core (floor " +
                                               fixed(floor.cpuPercent, 3) + " x 2)");
}

bool featureTargets(const std::vector<RunResult>& runs, const RunResult& r) {
    const std::string where = r.config.scene == Scene::Present
                                  ? std::string("present window, Xvfb ") + PresentScreenSize
                              : r.config.scene == Scene::Callouts
                                  ? std::string("callouts on, none due, offscreen")
                              : r.config.scene == Scene::Plan
                                  ? std::string("a plan of 20 built-in holds, offscreen")
                                  : std::string("journal, a happening a second, offscreen");
    if (!r.error.empty())
        return verdict(false, where + ": the run failed: " + r.error);
    const RunResult* floor = floorOf(runs, r);
    if (!floor || !floor->error.empty())
        return verdict(false, where + ": the bare label failed" +
                                  (floor ? ": " + floor->error : std::string()));
    bool all = true;
    switch (r.config.scene) {
    case Scene::Present:
        all &= latencyTarget("present count painted, " + where, r.presentPaint, floor->paint);
        all &= verdict(r.present.measured > 0 && r.present.skipped == 0 &&
                           r.present.repeated == 0,
                       "every second shown once, " + where + ": " +
                           std::to_string(r.present.skipped) + " skipped, " +
                           std::to_string(r.present.repeated) + " repeated in " +
                           std::to_string(r.present.measured) + " s");
        all &= cpuTarget(where, r, *floor);
        break;
    case Scene::Callouts:
    case Scene::Plan:
        all &= latencyTarget("main count painted, " + where, r.paint, floor->paint);
        all &= cpuTarget(where, r, *floor);
        all &= verdict(r.wakeUpsPerSecond <= MaxWakeUpsPerSecond,
                       "wake-ups, " + where + ": " +
                           atMost(r.wakeUpsPerSecond, MaxWakeUpsPerSecond, "a second", 1));
        break;
    case Scene::Journal:
        all &= latencyTarget("main count text set, " + where, r.text, floor->text);
        all &= latencyTarget("main count painted, " + where, r.paint, floor->paint);
        // A happening a second is work the bare label has no share in (the board defines an
        // event, the journal commits it to disk): its cost is shown, not held to the floor.
        std::printf("      CPU, %s: %s %% of one core, %.1f wake-ups a second (shown, not a "
                    "target: the floor has no happenings)\n",
                    where.c_str(), fixed(r.cpuPercent, 3).c_str(), r.wakeUpsPerSecond);
        break;
    case Scene::Board:
        break;
    }
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
            std::printf("  %-44s %s\n", d.name.c_str(),
                        d.error.empty() ? (fixed(d.seconds, 3) + " s").c_str() : d.error.c_str());
    }
    featureTable(runs);
    std::printf("\n");
}

bool printTargets(const std::vector<RunResult>& runs, const std::vector<DayResult>& days,
                  const std::vector<DayCheck>& dayChecks) {
    bool all = true;
    for (const RunResult& r : runs)
        if (r.config.subject == Subject::Program && !r.config.literal &&
            r.config.scene == Scene::Board)
            all &= runTargets(runs, r);
    for (const DayCheck& dayCheck : dayChecks)
        if (dayCheck.ran)
            all &= verdict(dayCheck.pass,
                           std::string("every second shown once, simulated day, both windows and "
                                       "ten events") +
                               (dayCheck.plan ? ", a plan of 20 built-in holds: " : ": ") +
                               dayCheck.account);
    for (const DayResult& d : days)
        all &= verdict(d.error.empty() && d.seconds <= MaxDaySeconds,
                       "simulated day, " + d.name + ": " +
                           (d.error.empty() ? atMost(d.seconds, MaxDaySeconds, "s", 3) : d.error));
    for (const RunResult& r : runs)
        if (r.config.subject == Subject::Program && r.config.scene != Scene::Board)
            all &= featureTargets(runs, r);
    return all;
}

} // namespace bench
