// A simulated day on the scenario runner: how long the fake clock takes to run through one.

#include "bench.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace bench {

DayResult timeScript(const std::string& runner, const std::string& script,
                     const std::string& name) {
    DayResult result;
    result.name = name;
    double best = 1e9;
    for (int attempt = 0; attempt < 3; ++attempt) {
        const auto start = std::chrono::steady_clock::now();
        const pid_t pid = fork();
        if (pid == 0) {
            const int null = open("/dev/null", O_WRONLY);
            dup2(null, STDOUT_FILENO);
            dup2(null, STDERR_FILENO);
            execl(runner.c_str(), runner.c_str(), script.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        int status = 0;
        if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) ||
            WEXITSTATUS(status) != 0) {
            result.error = "the script " + script + " failed";
            return result;
        }
        best = std::min(
            best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    result.seconds = best;
    return result;
}

DayCheck checkDay(const std::string& checker, bool plan) {
    DayCheck result;
    result.plan = plan;
    if (checker.empty())
        return result;
    result.ran = true;
    int fds[2];
    if (pipe(fds) != 0) {
        result.account = "cannot run " + checker;
        return result;
    }
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        dup2(fds[1], STDOUT_FILENO);
        execl(checker.c_str(), checker.c_str(), plan ? "--plan" : static_cast<char*>(nullptr),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    char buf[512];
    ssize_t n = 0;
    while ((n = read(fds[0], buf, sizeof buf)) > 0)
        result.account.append(buf, std::size_t(n));
    close(fds[0]);
    int status = 0;
    result.pass =
        pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    while (!result.account.empty() && result.account.back() == '\n')
        result.account.pop_back();
    if (result.account.empty())
        result.account = checker + " failed";
    return result;
}

} // namespace bench
