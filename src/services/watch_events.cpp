#include "services/watch_events.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <cstddef>
#include <cstring>

namespace orvane {

void readWatchEvents(
    int fd, const std::function<void(int watch, std::uint32_t what, std::string_view name)>& seen) {
    alignas(inotify_event) char buffer[4096];
    for (ssize_t n; fd >= 0 && (n = ::read(fd, buffer, sizeof buffer)) > 0;) {
        for (std::size_t at = 0; at + sizeof(inotify_event) <= std::size_t(n);) {
            inotify_event event{};
            std::memcpy(&event, buffer + at, sizeof event);
            const char* name = buffer + at + sizeof event;
            at += sizeof event + event.len;
            seen(event.wd, event.mask, {name, event.len ? ::strnlen(name, event.len) : 0});
        }
    }
}

} // namespace orvane
