// Running the real program for one configuration and sampling the kernel's accounting of it.

#include "bench.h"

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <thread>

namespace bench {

namespace fs = std::filesystem;

namespace {

// The start-up settles (the splash closes after three seconds) before measuring begins.
constexpr int SettleSeconds = 5;

std::int64_t realtimeNs() {
    timespec t{};
    clock_gettime(CLOCK_REALTIME, &t);
    return std::int64_t(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}

// User plus system time of the whole process, all its threads, in seconds. The scheduler's
// own runtime of each thread counts nanoseconds; the classic user and system fields count
// hundredths of a second, too coarse for a program that runs a few milliseconds a minute, so
// they serve only where the finer count is missing.
std::optional<double> cpuSeconds(pid_t pid) {
    const fs::path proc = "/proc/" + std::to_string(pid);
    std::error_code error;
    double runtime = 0;
    bool counted = false;
    for (const auto& task : fs::directory_iterator(proc / "task", error)) {
        std::ifstream in(task.path() / "schedstat");
        unsigned long long ns = 0;
        if (in >> ns) {
            runtime += double(ns) / 1e9;
            counted = counted || ns > 0;
        }
    }
    if (counted)
        return runtime;

    std::ifstream in(proc / "stat");
    std::string stat;
    if (!std::getline(in, stat))
        return std::nullopt;
    // The command name may hold blanks: fields are counted after its closing parenthesis.
    const auto close = stat.rfind(')');
    if (close == std::string::npos)
        return std::nullopt;
    std::istringstream fields(stat.substr(close + 2));
    std::string field;
    unsigned long long utime = 0, stime = 0;
    // After the name: state is field 3 of the whole line, utime 14 and stime 15.
    for (int n = 3; n <= 15 && fields >> field; ++n) {
        if (n == 14)
            utime = std::stoull(field);
        if (n == 15)
            stime = std::stoull(field);
    }
    return double(utime + stime) / double(sysconf(_SC_CLK_TCK));
}

// The kernel's count of each thread's context switches: voluntary (the thread waited, so
// something had to wake it) and involuntary (it was preempted).
struct Switches {
    unsigned long long voluntary = 0;
    unsigned long long involuntary = 0;
    // Of the voluntary ones, those of the thread Qt's X11 platform keeps reading the X server.
    unsigned long long xReader = 0;
};

// Each thread's counts, by thread id: a thread that ends between two readings takes its
// counts with it, so the process's total is no count that only grows.
using ThreadSwitches = std::map<std::string, Switches>;

std::optional<ThreadSwitches> contextSwitches(pid_t pid) {
    const fs::path proc = "/proc/" + std::to_string(pid);
    std::error_code error;
    ThreadSwitches threads;
    for (const auto& task : fs::directory_iterator(proc / "task", error)) {
        std::string name;
        std::ifstream comm(task.path() / "comm");
        std::getline(comm, name);
        std::ifstream in(task.path() / "status");
        Switches counts;
        bool read = false;
        for (std::string line; std::getline(in, line);) {
            const auto colon = line.find(':');
            if (colon == std::string::npos)
                continue;
            const std::string key = line.substr(0, colon);
            if (key == "voluntary_ctxt_switches") {
                counts.voluntary = std::stoull(line.substr(colon + 1));
                if (name == "QXcbEventQueue")
                    counts.xReader = counts.voluntary;
            } else if (key == "nonvoluntary_ctxt_switches") {
                counts.involuntary = std::stoull(line.substr(colon + 1));
            } else {
                continue;
            }
            read = true;
        }
        if (read)
            threads[task.path().filename().string()] = counts;
    }
    if (threads.empty())
        return std::nullopt;
    return threads;
}

// The switches between two readings, summed over the threads alive at the second; a thread
// born in between counts from zero.
Switches switchesBetween(const ThreadSwitches& before, const ThreadSwitches& after) {
    Switches sum;
    for (const auto& [tid, now] : after) {
        const auto then = before.find(tid);
        const Switches start = then == before.end() ? Switches{} : then->second;
        sum.voluntary += now.voluntary - start.voluntary;
        sum.involuntary += now.involuntary - start.involuntary;
        sum.xReader += now.xReader - start.xReader;
    }
    return sum;
}

double peakRssMb(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stod(line.substr(6)) / 1024.0;
    return 0;
}

bool alive(pid_t pid) {
    int status = 0;
    return waitpid(pid, &status, WNOHANG) == 0;
}

void stop(pid_t pid) {
    kill(pid, SIGTERM);
    for (int i = 0; i < 50; ++i) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

std::string tail(const fs::path& log) {
    std::ifstream in(log);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return text.size() > 600 ? text.substr(text.size() - 600) : text;
}

} // namespace

RunResult runProgram(const std::string& program, const RunConfig& config) {
    RunResult result;
    result.config = config;

    // A home, settings store and instance name of the run's own, so that neither a copy the
    // user runs nor an earlier run is disturbed or mistaken for this one.
    char pattern[] = "/tmp/orvane-bench.XXXXXX";
    if (!mkdtemp(pattern)) {
        result.error = "cannot make a temporary folder";
        return result;
    }
    const fs::path home = pattern;
    fs::create_directories(home / "config");
    fs::create_directories(home / "runtime");
    fs::permissions(home / "runtime", fs::perms::owner_all, fs::perm_options::replace);
    const fs::path trace = home / "trace.txt";
    const fs::path log = home / "program.log";

    const std::int64_t startNs = realtimeNs();
    const pid_t pid = fork();
    if (pid == 0) {
        setenv("HOME", home.c_str(), 1);
        setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
        setenv("XDG_RUNTIME_DIR", (home / "runtime").c_str(), 1);
        setenv("ORVANE_INSTANCE_NAME", ("orvane-bench-" + std::to_string(getpid())).c_str(), 1);
        setenv("ORVANE_BENCH_TRACE", trace.c_str(), 1);
        setenv("QT_QPA_PLATFORM", config.platform.c_str(), 1);
        if (config.literal)
            setenv("ORVANE_SCHEDULER", "literal", 1);
        else
            unsetenv("ORVANE_SCHEDULER");
        if (!config.display.empty())
            setenv("DISPLAY", config.display.c_str(), 1);
        unsetenv("WAYLAND_DISPLAY");
        if (FILE* out = std::freopen(log.c_str(), "w", stdout))
            dup2(fileno(out), STDERR_FILENO);
        execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
        std::fprintf(stderr, "cannot start %s: %s\n", program.c_str(), std::strerror(errno));
        _exit(127);
    }
    if (pid < 0) {
        result.error = "cannot start the program";
        fs::remove_all(home);
        return result;
    }

    std::this_thread::sleep_for(std::chrono::seconds(SettleSeconds));
    const auto cpu0 = cpuSeconds(pid);
    const auto switches0 = contextSwitches(pid);
    const auto wall0 = std::chrono::steady_clock::now();
    const std::int64_t from = realtimeNs();
    std::this_thread::sleep_for(std::chrono::seconds(config.seconds));
    const auto cpu1 = cpuSeconds(pid);
    const auto switches1 = contextSwitches(pid);
    const auto wall1 = std::chrono::steady_clock::now();
    const std::int64_t to = realtimeNs();
    result.peakRssMb = peakRssMb(pid);

    if (!alive(pid) || !cpu0 || !cpu1) {
        result.error = "the program ended early: " + tail(log);
        waitpid(pid, nullptr, WNOHANG);
    } else {
        stop(pid);
        const double wall = std::chrono::duration<double>(wall1 - wall0).count();
        result.cpuPercent = 100.0 * (*cpu1 - *cpu0) / wall;
        if (switches0 && switches1) {
            const Switches d = switchesBetween(*switches0, *switches1);
            result.wakeUpsPerSecond = double(d.voluntary) / wall;
            result.xReaderWakeUpsPerSecond = double(d.xReader) / wall;
            result.preemptionsPerSecond = double(d.involuntary) / wall;
        }
        readTrace(trace.string(), from, to, startNs, result);
    }
    fs::remove_all(home);
    return result;
}

} // namespace bench
