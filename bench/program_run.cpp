// Running the real program (or a floor) for one configuration and sampling the kernel's
// accounting of it.

#include "bench.h"

#include <sqlite3.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <thread>
#include <vector>

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
// The program's own children: its sound process, which speaks the callouts for it. Their work
// is the program's work, so CPU and wake-ups count them with it.
std::vector<pid_t> childrenOf(pid_t pid) {
    std::vector<pid_t> children;
    std::error_code error;
    for (const auto& task :
         fs::directory_iterator("/proc/" + std::to_string(pid) + "/task", error)) {
        std::ifstream in(task.path() / "children");
        for (pid_t child = 0; in >> child;)
            children.push_back(child);
    }
    return children;
}

double ownCpuSeconds(pid_t pid, bool& counted) {
    const fs::path proc = "/proc/" + std::to_string(pid);
    std::error_code error;
    double runtime = 0;
    for (const auto& task : fs::directory_iterator(proc / "task", error)) {
        std::ifstream in(task.path() / "schedstat");
        unsigned long long ns = 0;
        if (in >> ns) {
            runtime += double(ns) / 1e9;
            counted = counted || ns > 0;
        }
    }
    return runtime;
}

std::optional<double> cpuSeconds(pid_t pid) {
    bool counted = false;
    double runtime = ownCpuSeconds(pid, counted);
    for (pid_t child : childrenOf(pid)) {
        bool childCounted = false;
        runtime += ownCpuSeconds(child, childCounted);
    }
    if (counted)
        return runtime;
    const fs::path proc = "/proc/" + std::to_string(pid);

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
    std::vector<pid_t> family = childrenOf(pid);
    family.insert(family.begin(), pid);
    ThreadSwitches threads;
    for (pid_t member : family) {
        const fs::path proc = "/proc/" + std::to_string(member);
        std::error_code error;
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

// The peak resident memory of the program's children together (its sound process).
double childrenPeakRssMb(pid_t pid);

double peakRssMb(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stod(line.substr(6)) / 1024.0;
    return 0;
}

double childrenPeakRssMb(pid_t pid) {
    double sum = 0;
    for (pid_t child : childrenOf(pid))
        sum += peakRssMb(child);
    return sum;
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

// A private sound server for a run, with a null sink named "cues" as the sound test has it:
// callouts are spoken to it and heard by no one.
struct SoundServer {
    pid_t pid = -1;
    fs::path socket;

    bool start(const fs::path& folder) {
        fs::create_directories(folder);
        fs::permissions(folder, fs::perms::owner_all, fs::perm_options::replace);
        socket = folder / "native";
        pid = fork();
        if (pid == 0) {
            setenv("HOME", folder.c_str(), 1);
            setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
            setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
            unsetenv("PULSE_SERVER");
            const int null = open("/dev/null", O_WRONLY);
            dup2(null, STDOUT_FILENO);
            dup2(null, STDERR_FILENO);
            const std::string protocol =
                "--load=module-native-protocol-unix socket=" + socket.string() +
                " auth-anonymous=1";
            execlp("pulseaudio", "pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1",
                   "--disallow-exit", protocol.c_str(),
                   "--load=module-null-sink sink_name=cues rate=22050 channels=1",
                   static_cast<char*>(nullptr));
            _exit(127);
        }
        if (pid < 0)
            return false;
        // Up once its socket is there; bounded at 20 s.
        for (int i = 0; i < 400; ++i) {
            std::error_code error;
            if (fs::exists(socket, error))
                return true;
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid) {
                pid = -1;
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }
    ~SoundServer() {
        if (pid > 0) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
    }
};

// The journal's size now, in bytes, as a reader of its own sees it (the write-ahead log's pages
// included, so no checkpoint is needed): the bytes its pages hold (SQLite's dbstat table, less
// each page's unused room), or where SQLite has no dbstat, its pages whole. -1 when there is
// none to read.
JournalSize journalSize(const fs::path& folder) {
    JournalSize size;
    std::error_code error;
    fs::path file;
    for (auto it = fs::recursive_directory_iterator(folder, error);
         !error && it != fs::recursive_directory_iterator(); it.increment(error))
        if (it->path().filename() == "journal.sqlite")
            file = it->path();
    if (file.empty())
        return size;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_busy_timeout(db, 2000);
        auto number = [db](const char* sql) -> std::int64_t {
            sqlite3_stmt* st = nullptr;
            std::int64_t v = -1;
            if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) == SQLITE_OK &&
                sqlite3_step(st) == SQLITE_ROW && sqlite3_column_type(st, 0) != SQLITE_NULL)
                v = sqlite3_column_int64(st, 0);
            sqlite3_finalize(st);
            return v;
        };
        const std::int64_t pages = number("PRAGMA page_count");
        const std::int64_t pageSize = number("PRAGMA page_size");
        if (pages >= 0 && pageSize > 0)
            size.pages = pages * pageSize;
        size.used = number("SELECT sum(pgsize - unused) FROM dbstat");
    }
    sqlite3_close(db);
    return size;
}

std::string tail(const fs::path& log) {
    std::ifstream in(log);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return text.size() > 600 ? text.substr(text.size() - 600) : text;
}

// A started run: its process, and the home, trace and log of its own.
struct Launched {
    pid_t pid = -1;
    fs::path home;
    fs::path trace;
    fs::path log;
    std::int64_t startNs = 0;
    std::string error;
    std::shared_ptr<SoundServer> sound; // the callouts' scene only
};

const char* sceneName(Scene scene) {
    switch (scene) {
    case Scene::Present:
        return "present";
    case Scene::Callouts:
        return "callouts";
    case Scene::Journal:
        return "journal";
    case Scene::Plan:
        return "plan";
    case Scene::Board:
        break;
    }
    return nullptr;
}

Launched launch(const std::string& executable, const RunConfig& config) {
    Launched run;
    // A home, settings store and instance name of the run's own, so that neither a copy the
    // user runs nor an earlier run is disturbed or mistaken for this one.
    char pattern[] = "/tmp/orvane-bench.XXXXXX";
    if (!mkdtemp(pattern)) {
        run.error = "cannot make a temporary folder";
        return run;
    }
    run.home = pattern;
    fs::create_directories(run.home / "config");
    fs::create_directories(run.home / "runtime");
    fs::permissions(run.home / "runtime", fs::perms::owner_all, fs::perm_options::replace);
    run.trace = run.home / "trace.txt";
    run.log = run.home / "program.log";
    const bool program = config.subject == Subject::Program;
    if (program && config.scene == Scene::Callouts) {
        run.sound = std::make_shared<SoundServer>();
        if (!run.sound->start(run.home / "pulse")) {
            run.error = "the sound server (pulseaudio) did not start";
            run.sound.reset();
            fs::remove_all(run.home);
            return run;
        }
    }

    run.startNs = realtimeNs();
    run.pid = fork();
    if (run.pid == 0) {
        setenv("HOME", run.home.c_str(), 1);
        setenv("XDG_CONFIG_HOME", (run.home / "config").c_str(), 1);
        setenv("XDG_RUNTIME_DIR", (run.home / "runtime").c_str(), 1);
        setenv("ORVANE_INSTANCE_NAME", ("orvane-bench-" + std::to_string(getpid())).c_str(), 1);
        setenv("ORVANE_BENCH_TRACE", run.trace.c_str(), 1);
        if (!config.platform.empty())
            setenv("QT_QPA_PLATFORM", config.platform.c_str(), 1);
        if (config.literal)
            setenv("ORVANE_SCHEDULER", "literal", 1);
        else
            unsetenv("ORVANE_SCHEDULER");
        if (!config.display.empty())
            setenv("DISPLAY", config.display.c_str(), 1);
        unsetenv("WAYLAND_DISPLAY");
        if (const char* scene = sceneName(config.scene); scene && program)
            setenv("ORVANE_BENCH_SCENE", scene, 1);
        else
            unsetenv("ORVANE_BENCH_SCENE");
        if (config.scene == Scene::Journal)
            setenv("XDG_DATA_HOME", (run.home / "data").c_str(), 1);
        if (run.sound)
            setenv("PULSE_SERVER", ("unix:" + run.sound->socket.string()).c_str(), 1);
        if (FILE* out = std::freopen(run.log.c_str(), "w", stdout))
            dup2(fileno(out), STDERR_FILENO);
        std::vector<char*> argv{const_cast<char*>(executable.c_str())};
        if (config.subject == Subject::BareLabel)
            for (const std::string& a : config.floorArguments)
                argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execv(executable.c_str(), argv.data());
        std::fprintf(stderr, "cannot start %s: %s\n", executable.c_str(), std::strerror(errno));
        _exit(127);
    }
    if (run.pid < 0) {
        run.error = "cannot start " + executable;
        fs::remove_all(run.home);
    }
    return run;
}

} // namespace

std::optional<double> RunResult::startMedianMs() const {
    if (startsMs.empty())
        return std::nullopt;
    std::vector<double> sorted = startsMs;
    std::sort(sorted.begin(), sorted.end());
    const std::size_t n = sorted.size();
    return n % 2 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2;
}

RunResult runProgram(const std::string& executable, const RunConfig& config) {
    RunResult result;
    result.config = config;
    Launched run = launch(executable, config);
    if (!run.error.empty()) {
        result.error = run.error;
        return result;
    }
    const pid_t pid = run.pid;

    std::this_thread::sleep_for(std::chrono::seconds(SettleSeconds));
    const bool journal = config.scene == Scene::Journal && config.subject == Subject::Program;
    if (journal)
        result.journalBefore = journalSize(run.home / "data");
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
    result.childrenPeakRssMb = childrenPeakRssMb(pid);
    if (journal)
        result.journalAfter = journalSize(run.home / "data");

    if (!alive(pid) || !cpu0 || !cpu1) {
        result.error = "it ended early: " + tail(run.log);
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
        readTrace(run.trace.string(), from, to, result);
    }
    run.sound.reset();
    fs::remove_all(run.home);
    return result;
}

std::optional<double> timeStart(const std::string& executable, const RunConfig& config) {
    const Launched run = launch(executable, config);
    if (!run.error.empty())
        return std::nullopt;
    std::optional<std::int64_t> paint;
    // Looks for the first paint every few milliseconds, for as long as 30 s.
    for (int i = 0; i < 6000 && !paint && alive(run.pid); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        paint = firstPaintNs(run.trace.string());
    }
    if (alive(run.pid))
        stop(run.pid);
    fs::remove_all(run.home);
    if (!paint)
        return std::nullopt;
    return double(*paint - run.startNs) / 1e6;
}

} // namespace bench
