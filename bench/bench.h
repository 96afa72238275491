#pragma once

// The benchmark of the running clock: what it costs while it counts and how exactly it turns
// the second, for the program as built and for the same program with its timers run
// literally, on Qt's offscreen platform and in a real X server; and, in the same run, the
// floor this machine allows: a bare process waking at each second, and a bare Qt label showing
// each second.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace bench {

// What a run measures: the program, or one of the floors it is held against.
enum class Subject {
    Program,   // orvane-probed, as built or with literal timers
    BareLabel, // orvane-floor-label: one Qt label set and painted at each second
    BareWake,  // orvane-floor-wake: a process that only wakes at each second
};

// What the program shows while it is measured, beyond the benchmark's board (each a feature's
// rows of the table, with a floor of its own): the floors run in the same scene only to be
// paired with the program's run.
enum class Scene {
    Board,    // both windows, ten events: the clock's own rows
    Present,  // the present window over a 3840x2160 screen; its floor a label as large
    Callouts, // callouts on and a sound server to speak to, none due while measuring
    Journal,  // the journal written with a happening every second
    Plan,     // a countdown plan of 20 built-in holds, three of them within the run
};

// The present window's X server: one screen of this size.
inline constexpr const char* PresentScreen = "3840x2160x24";
inline constexpr const char* PresentScreenSize = "3840x2160";

struct RunConfig {
    Subject subject = Subject::Program;
    Scene scene = Scene::Board;
    std::string platform; // "offscreen" or "xcb"; none for the bare wake-up
    std::string display;  // for xcb: ":N"
    bool literal = false; // every timer at its nominal interval
    bool busy = false;    // another process keeps one core busy meanwhile
    int seconds = 60;     // the measured stretch, after the start-up has settled
    // The bare label's own arguments (the present window's floor: --size, --fit, --font).
    std::vector<std::string> floorArguments;
};

// Milliseconds from the true start of a second.
struct Spread {
    // A p99 of fewer samples would be one of the last few: the max stands in for it then.
    static constexpr int MinSamplesForP99 = 300;
    int samples = 0;
    double p50 = 0, p99 = 0, max = 0;
    bool hasP99() const { return samples >= MinSamplesForP99; }
};

// Whether every second that began while measuring was shown exactly once by one display.
struct SecondsShown {
    int measured = 0;
    int skipped = 0;
    int repeated = 0;
    SecondsShown& operator+=(const SecondsShown& o) {
        measured += o.measured;
        skipped += o.skipped;
        repeated += o.repeated;
        return *this;
    }
};

// A journal's size in bytes, read by a reader of its own (the write-ahead log's pages
// included): what its pages hold, and its pages whole; -1 where it could not be read.
struct JournalSize {
    std::int64_t used = -1;
    std::int64_t pages = -1;
};

struct RunResult {
    RunConfig config;
    std::string error;     // empty when the run worked
    double cpuPercent = 0; // of one core, user + system
    // Voluntary context switches a second, all threads: each is the program going to sleep,
    // so each costs one wake-up. Preemptions (involuntary switches) are not wake-ups.
    double wakeUpsPerSecond = 0;
    double xReaderWakeUpsPerSecond = 0; // of them, Qt's thread reading the X server
    double preemptionsPerSecond = 0;
    std::map<std::string, double> ticksPerSecond;
    Spread text;     // the seconds label took its new text (the bare wake-up: woke)
    Spread paint;    // the label painted it
    Spread rowText;  // a board row's count took its new text
    Spread colorSet; // a row's panel or count took its new colour, after the second it is due
    SecondsShown main;
    SecondsShown rows; // the ten rows together
    int unpainted = 0;
    // The present window's count ("pset", "ppaint"), and the box and face it was fitted to.
    Spread presentText;
    Spread presentPaint;
    SecondsShown present;
    int presentUnpainted = 0;
    std::optional<std::string> presentBox; // "W H BOLD FAMILY"
    // The journal: happenings while measuring, and its size at the start and the end of it.
    int happenings = 0;
    JournalSize journalBefore;
    JournalSize journalAfter;
    double peakRssMb = 0;
    // Its children's (the sound process that speaks the callouts), apart: not in the target.
    double childrenPeakRssMb = 0;
    // From the process start to the first paint of the seconds label (the bare label: its
    // label), the median of a few starts made apart from the measured run.
    std::vector<double> startsMs;
    std::optional<double> startMedianMs() const;
};

// Starts the program (or a floor) with the benchmark's scene and trace, lets it settle,
// measures it for the configured number of seconds and stops it.
RunResult runProgram(const std::string& executable, const RunConfig& config);

// Starts it once more, waits for its first paint and stops it: milliseconds from the start to
// that paint, or none when it did not paint within a while.
std::optional<double> timeStart(const std::string& executable, const RunConfig& config);

// The lines the program's probe (or a floor) wrote, read back into the figures of a run.
// Exposed apart from running so that it can be checked on a written trace.
void readTrace(const std::string& trace, std::int64_t fromNs, std::int64_t toNs,
               RunResult& result);
// The time of the first paint the trace holds, in nanoseconds of the wall clock.
std::optional<std::int64_t> firstPaintNs(const std::string& trace);

struct DayResult {
    std::string name;
    std::string error;
    double seconds = 0; // the best of a few runs
};

// Runs a scenario script through the scenario runner, a few times, and keeps the best time.
DayResult timeScript(const std::string& runner, const std::string& script, const std::string& name);

// The simulated day of orvane-day-check: whether every second was shown once, on the main
// count and on every row, and its own account of it.
struct DayCheck {
    bool ran = false;
    bool plan = false; // with a plan of 20 built-in holds, the L count held to it
    bool pass = false;
    std::string account;
};

DayCheck checkDay(const std::string& checker, bool plan = false);

void printReport(const std::vector<RunResult>& runs, const std::vector<DayResult>& days,
                 const std::string& machine);
// One PASS or FAIL line per target; returns whether all passed.
bool printTargets(const std::vector<RunResult>& runs, const std::vector<DayResult>& days,
                  const std::vector<DayCheck>& dayChecks);

} // namespace bench
