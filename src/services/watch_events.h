#pragma once

// What the kernel tells of the folders a watch (inotify) looks at, read without waiting.

#include <cstdint>
#include <functional>
#include <string_view>

namespace orvane {

// Reads every event queued on FD, a watch made non-blocking, and gives each to SEEN: the
// folder's watch, what happened and the name in it (empty for the folder itself).
void readWatchEvents(
    int fd, const std::function<void(int watch, std::uint32_t what, std::string_view name)>& seen);

} // namespace orvane
