// orvane-floor-wake: the machine's floor for waking at the second. A process that does nothing
// but sleep until each whole second of the wall clock, on a timer on CLOCK_REALTIME as the
// program's scheduler does, and writes "wake NS SECOND" to the file ORVANE_BENCH_TRACE names
// each time it wakes: the wall clock's time then, and the second it was waiting for. Runs until
// it is stopped.

#include <fcntl.h>
#include <poll.h>
#include <sys/timerfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

int main() {
    const char* path = std::getenv("ORVANE_BENCH_TRACE");
    if (!path) {
        std::fprintf(stderr, "orvane-floor-wake: ORVANE_BENCH_TRACE names no file\n");
        return 2;
    }
    const int out = ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    const int fd = timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
    if (out < 0 || fd < 0) {
        std::perror("orvane-floor-wake");
        return 1;
    }
    for (;;) {
        timespec now{};
        clock_gettime(CLOCK_REALTIME, &now);
        const std::int64_t target = std::int64_t(now.tv_sec) + 1;
        itimerspec at{};
        at.it_value.tv_sec = time_t(target);
        if (timerfd_settime(fd, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &at, nullptr) != 0) {
            std::perror("orvane-floor-wake");
            return 1;
        }
        // Waits in poll, as an event loop does, then reads the spent timer.
        pollfd p{fd, POLLIN, 0};
        while (poll(&p, 1, -1) < 0 && errno == EINTR) {
        }
        std::uint64_t expirations = 0;
        const ssize_t n = ::read(fd, &expirations, sizeof expirations);
        clock_gettime(CLOCK_REALTIME, &now);
        if (n < 0)
            continue; // the clock was set: aim anew
        const std::string line = "wake " +
                                 std::to_string(std::int64_t(now.tv_sec) * 1'000'000'000 +
                                                now.tv_nsec) +
                                 " " + std::to_string(target) + "\n";
        if (::write(out, line.data(), line.size()) < 0)
            return 1;
    }
}
