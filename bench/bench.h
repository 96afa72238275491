#pragma once

// The benchmark of the running clock: what it costs while it counts and how exactly it turns
// the second, for the program as built and for the same program with its timers run
// literally, on Qt's offscreen platform and in a real X server.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace bench {

struct RunConfig {
    std::string platform; // "offscreen" or "xcb"
    std::string display;  // for xcb: ":N"
    bool literal = false; // every timer at its nominal interval
    bool busy = false;    // another process keeps one core busy meanwhile
    int seconds = 60;     // the measured stretch, after the start-up has settled
};

// Milliseconds from the true start of a second.
struct Spread {
    int samples = 0;
    double p50 = 0, p99 = 0, max = 0;
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
    Spread text;     // the seconds label took its new text
    Spread paint;    // the label painted it
    Spread rowText;  // a board row's count took its new text
    Spread colorSet; // a row's panel or count took its new colour, after the second it is due
    SecondsShown main;
    SecondsShown rows; // the ten rows together
    int unpainted = 0;
    double peakRssMb = 0;
    std::optional<double> firstPaintMs; // from the process start
};

// Starts the program with the benchmark's scene and trace, lets it settle, measures it for
// the configured number of seconds and stops it.
RunResult runProgram(const std::string& program, const RunConfig& config);

// The lines the program's probe wrote, read back into the figures of a run. Exposed apart from
// running so that it can be checked on a written trace.
void readTrace(const std::string& trace, std::int64_t fromNs, std::int64_t toNs,
               std::int64_t startNs, RunResult& result);

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
    bool pass = false;
    std::string account;
};

DayCheck checkDay(const std::string& checker);

void printReport(const std::vector<RunResult>& runs, const std::vector<DayResult>& days,
                 const std::string& machine);
// One PASS or FAIL line per target; returns whether all passed.
bool printTargets(const std::vector<RunResult>& runs, const std::vector<DayResult>& days,
                  const DayCheck& dayCheck);

} // namespace bench
