// orvane-bench: runs the real program in every configuration, and the floors it is held
// against, and prints the figures and the targets. bench/run builds it and is the one command
// to use.
//
//   orvane-bench --program PATH --floor-label PATH --floor-wake PATH [--runner PATH
//                --scripts DIR] [--day-check PATH] [--seconds N] [--busy [--busy-seconds N]]
//                [--only offscreen|xcb] [--starts N] [--parts LIST]
//
// --busy adds a run of the program as built on each platform while another process keeps
// one core busy, for --busy-seconds each (default 600: the ten-minute check), with the floors
// measured under the same load for as long. --starts (default 5) is how many times each is
// started to time its first paint. --only keeps the clock's rows to one platform.
// --parts (default clock,present,callouts,journal,plan) names what to measure, comma-separated:
// clock, the clock's own rows; present, the present window on a 3840x2160 Xvfb screen against
// a bare label as large; callouts, the program with callouts on and a sound server, none due;
// journal, the program with a happening every second written to its journal. Each feature's
// program and floor run after the clock's rows, one after the other, for --seconds each.

#include "bench.h"

#include <sched.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Options {
    std::string program;
    std::string runner;
    std::string scripts;
    std::string dayCheck;
    int seconds = 60;
    bool busy = false;
    int busySeconds = 600;
    std::string only;
    std::string floorLabel;
    std::string floorWake;
    int starts = 5;
    std::set<std::string> parts{"clock", "present", "callouts", "journal", "plan"};
};

std::optional<std::set<std::string>> partsArgument(const std::string& text) {
    std::set<std::string> parts;
    std::istringstream in(text);
    for (std::string part; std::getline(in, part, ',');) {
        if (part != "clock" && part != "present" && part != "callouts" && part != "journal" &&
            part != "plan")
            return std::nullopt;
        parts.insert(part);
    }
    if (parts.empty())
        return std::nullopt;
    return parts;
}

int usage() {
    std::fprintf(stderr, "usage: orvane-bench --program PATH --floor-label PATH --floor-wake PATH "
                         "[--runner PATH --scripts DIR] [--day-check PATH] [--seconds N] "
                         "[--busy [--busy-seconds N]] [--only offscreen|xcb] [--starts N] "
                         "[--parts clock,present,callouts,journal,plan]\n");
    return 2;
}

std::string machine() {
    std::string model = "unknown processor";
    std::ifstream cpuinfo("/proc/cpuinfo");
    for (std::string line; std::getline(cpuinfo, line);)
        if (line.rfind("model name", 0) == 0) {
            model = line.substr(line.find(':') + 2);
            break;
        }
    char date[64];
    const std::time_t now = std::time(nullptr);
    std::strftime(date, sizeof date, "%Y-%m-%d %H:%M", std::localtime(&now));
    return std::string("Orvane benchmark, ") + date + ", " + model + ", " +
           std::to_string(sysconf(_SC_NPROCESSORS_ONLN)) +
           " cores; each run measured after 5 s of start-up";
}

// A private X server on whatever display is free: it names the display itself once it
// accepts clients (-displayfd), so a display held by someone else is never taken.
struct Xvfb {
    pid_t pid = -1;
    std::string display;

    bool start(const char* screen = "1280x1024x24") {
        int fds[2];
        if (pipe(fds) != 0)
            return false;
        pid = fork();
        if (pid == 0) {
            close(fds[0]);
            if (FILE* null = std::freopen("/dev/null", "w", stderr))
                (void)null;
            const std::string fd = std::to_string(fds[1]);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen,
                   "-nolisten", "tcp", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        // The server writes the number and the newline apart, and ends when it cannot write
        // the newline: the pipe stays open until it is read.
        std::string number;
        char c = 0;
        while (pid > 0 && number.size() < 16 && read(fds[0], &c, 1) == 1 && c != '\n')
            number += c;
        close(fds[0]);
        if (pid < 0 || number.empty() || c != '\n')
            return false;
        display = ":" + number;
        return true;
    }
    ~Xvfb() {
        if (pid > 0) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
    }
};

// Keeps the last core busy with plain arithmetic for as long as it lives.
struct BusyCore {
    pid_t pid = -1;
    void start() {
        pid = fork();
        if (pid == 0) {
            cpu_set_t set;
            CPU_ZERO(&set);
            CPU_SET(int(sysconf(_SC_NPROCESSORS_ONLN)) - 1, &set);
            sched_setaffinity(0, sizeof set, &set);
            volatile unsigned long x = 0;
            for (;;)
                x = x * 2654435761u + 1;
        }
    }
    void stop() {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
            pid = -1;
        }
    }
    ~BusyCore() { stop(); }
};

} // namespace

int main(int argc, char** argv) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&]() -> std::string { return i + 1 < argc ? argv[++i] : std::string(); };
        if (a == "--program")
            o.program = value();
        else if (a == "--runner")
            o.runner = value();
        else if (a == "--day-check")
            o.dayCheck = value();
        else if (a == "--scripts")
            o.scripts = value();
        else if (a == "--seconds")
            o.seconds = std::atoi(value().c_str());
        else if (a == "--busy")
            o.busy = true;
        else if (a == "--busy-seconds")
            o.busySeconds = std::atoi(value().c_str());
        else if (a == "--only")
            o.only = value();
        else if (a == "--floor-label")
            o.floorLabel = value();
        else if (a == "--floor-wake")
            o.floorWake = value();
        else if (a == "--starts")
            o.starts = std::atoi(value().c_str());
        else if (a == "--parts") {
            const auto parts = partsArgument(value());
            if (!parts)
                return usage();
            o.parts = *parts;
        } else
            return usage();
    }
    if (o.program.empty() || o.floorLabel.empty() || o.floorWake.empty() || o.seconds < 2 ||
        o.busySeconds < 2 || o.starts < 1 ||
        (!o.only.empty() && o.only != "offscreen" && o.only != "xcb"))
        return usage();

    const bool clock = o.parts.count("clock") > 0;
    std::vector<bench::DayResult> days;
    if (clock && !o.runner.empty()) {
        days.push_back(bench::timeScript(o.runner, o.scripts + "/day-hidden.txt", "board hidden"));
        days.push_back(
            bench::timeScript(o.runner, o.scripts + "/day-board.txt", "board shown, ten events"));
    }

    auto executable = [&](bench::Subject subject) {
        return subject == bench::Subject::BareWake    ? o.floorWake
               : subject == bench::Subject::BareLabel ? o.floorLabel
                                                      : o.program;
    };

    Xvfb xvfb;
    std::vector<std::string> platforms;
    if (clock && o.only != "xcb")
        platforms.push_back("offscreen");
    if (clock && o.only != "offscreen") {
        if (xvfb.start())
            platforms.push_back("xcb");
        else
            std::fprintf(stderr, "orvane-bench: Xvfb did not start; measuring offscreen only\n");
    }

    // One thing runs at a time: the floors between the program's runs, never beside them.
    std::vector<bench::RunResult> runs;
    auto measure = [&](bench::Subject subject, const std::string& platform, bool literal,
                       bool busy) {
        bench::RunConfig c;
        c.subject = subject;
        c.platform = platform;
        c.display = platform == "xcb" ? xvfb.display : std::string();
        c.literal = literal;
        c.busy = busy;
        c.seconds = busy ? o.busySeconds : o.seconds;
        const char* what = subject == bench::Subject::BareWake    ? "bare wake-up"
                           : subject == bench::Subject::BareLabel ? "bare label"
                           : literal                              ? "literal timers"
                                                                  : "as built";
        std::fprintf(stderr, "orvane-bench: %s%s%s, %d s ...\n",
                     platform.empty() ? "" : (platform + ", ").c_str(), what,
                     busy ? ", other core busy" : "", c.seconds);
        runs.push_back(bench::runProgram(executable(subject), c));
        return runs.size() - 1;
    };
    for (bool busy : {false, true}) {
        if (!clock || (busy && !o.busy))
            continue;
        BusyCore load;
        if (busy)
            load.start();
        measure(bench::Subject::BareWake, "", false, busy);
        for (const std::string& platform : platforms) {
            measure(bench::Subject::BareLabel, platform, false, busy);
            measure(bench::Subject::Program, platform, false, busy);
            // With the other core busy only the program as built is held to targets.
            if (!busy)
                measure(bench::Subject::Program, platform, true, busy);
        }
    }
    // The starts, taken in turns so that a disturbance spreads over all three.
    for (const std::string& platform : platforms) {
        std::fprintf(stderr, "orvane-bench: %s, %d starts of each ...\n", platform.c_str(),
                     o.starts);
        for (int n = 0; n < o.starts; ++n)
            for (bench::RunResult& r : runs) {
                if (r.config.busy || r.config.platform != platform ||
                    r.config.scene != bench::Scene::Board)
                    continue;
                if (auto ms = bench::timeStart(executable(r.config.subject), r.config))
                    r.startsMs.push_back(*ms);
            }
    }

    // The features, each program beside a floor of its own, after the clock's rows and their
    // starts so that those run as they always have.
    auto feature = [&](bench::Subject subject, bench::Scene scene, const std::string& platform,
                       const std::string& display, std::vector<std::string> floorArguments = {}) {
        bench::RunConfig c;
        c.subject = subject;
        c.scene = scene;
        c.platform = platform;
        c.display = display;
        c.seconds = o.seconds;
        c.floorArguments = std::move(floorArguments);
        const char* what = scene == bench::Scene::Present    ? "present window"
                           : scene == bench::Scene::Callouts ? "callouts on, none due"
                           : scene == bench::Scene::Plan     ? "a plan of 20 built-in holds"
                                                             : "journal, a happening a second";
        std::fprintf(stderr, "orvane-bench: %s, %s%s, %d s ...\n", what, platform.c_str(),
                     subject == bench::Subject::BareLabel ? ", its bare label" : "", c.seconds);
        runs.push_back(bench::runProgram(executable(subject), c));
        return runs.back();
    };
    Xvfb large;
    if (o.parts.count("present")) {
        // The program first: the floor's digits are fitted to the box it tells.
        if (large.start(bench::PresentScreen)) {
            const bench::RunResult program =
                feature(bench::Subject::Program, bench::Scene::Present, "xcb", large.display);
            std::vector<std::string> floorArguments{"--size", bench::PresentScreenSize};
            int w = 0, h = 0, bold = 0;
            std::istringstream box(program.presentBox.value_or(""));
            std::string family;
            if (box >> w >> h >> bold && std::getline(box >> std::ws, family) && w > 0 && h > 0) {
                floorArguments.insert(floorArguments.end(), {"--fit", std::to_string(w) + "x" +
                                                                          std::to_string(h),
                                                             "--font", family});
                if (bold)
                    floorArguments.push_back("--bold");
                feature(bench::Subject::BareLabel, bench::Scene::Present, "xcb", large.display,
                        floorArguments);
            } else {
                bench::RunResult failed;
                failed.config.subject = bench::Subject::BareLabel;
                failed.config.scene = bench::Scene::Present;
                failed.config.platform = "xcb";
                failed.config.seconds = o.seconds;
                failed.error = "the present window told no box to fit the digits to";
                runs.push_back(failed);
            }
        } else {
            for (bench::Subject subject : {bench::Subject::Program, bench::Subject::BareLabel}) {
                bench::RunResult failed;
                failed.config.subject = subject;
                failed.config.scene = bench::Scene::Present;
                failed.config.platform = "xcb";
                failed.config.seconds = o.seconds;
                failed.error = std::string("Xvfb did not start with a screen of ") +
                               bench::PresentScreen;
                runs.push_back(failed);
            }
        }
    }
    // plan: the round at the second with a countdown plan of 20 built-in holds.
    for (bench::Scene scene :
         {bench::Scene::Callouts, bench::Scene::Journal, bench::Scene::Plan}) {
        if (!o.parts.count(scene == bench::Scene::Callouts  ? "callouts"
                           : scene == bench::Scene::Journal ? "journal"
                                                            : "plan"))
            continue;
        feature(bench::Subject::BareLabel, scene, "offscreen", "");
        feature(bench::Subject::Program, scene, "offscreen", "");
    }

    const std::string checker = clock ? o.dayCheck : std::string();
    const std::vector<bench::DayCheck> dayChecks{
        bench::checkDay(checker),
        bench::checkDay(o.parts.count("plan") ? o.dayCheck : std::string(), true)};
    bench::printReport(runs, days, machine());
    return bench::printTargets(runs, days, dayChecks) ? 0 : 1;
}
