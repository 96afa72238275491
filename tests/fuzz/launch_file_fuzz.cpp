// Feeds the launch data file reader any bytes at all, through the size limit and the parser.
// Besides the sanitizers' findings it stops on a reader that accepts a file whose own rewrite
// it then refuses or reads differently: whatever the program reads, it must be able to save
// and read again. Inputs beyond the size limit must be refused without being read whole.

#include "data/launch_format.h"
#include "services/file_io.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

// The input as a file, held in memory: what the program would find on disk.
orvane::FileContent readAsFile(std::string_view content) {
    const int fd = ::memfd_create("launch.ovx", MFD_CLOEXEC);
    if (fd < 0)
        __builtin_trap();
    for (std::size_t done = 0; done < content.size();) {
        const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
        if (n <= 0)
            __builtin_trap();
        done += std::size_t(n);
    }
    orvane::FileContent file =
        orvane::readSmallFile("/proc/self/fd/" + std::to_string(fd), orvane::LaunchFileLimit);
    ::close(fd);
    return file;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    const std::string_view content(reinterpret_cast<const char*>(bytes), size);
    const orvane::FileContent file = readAsFile(content);
    if (size > orvane::LaunchFileLimit) {
        if (file.content || !file.tooLarge)
            __builtin_trap(); // an oversized file is refused for its size
    } else if (!file.content || *file.content != content) {
        __builtin_trap(); // a file within the limit reads whole
    }

    // The parser copes with anything, oversized input included.
    const orvane::LaunchFileRead first = orvane::parseLaunchFile(content);
    if (!first.data) {
        if (first.problem.empty())
            __builtin_trap(); // a refusal always says why
        return 0;
    }
    const std::string written = orvane::formatLaunchFile(*first.data);
    const orvane::LaunchFileRead second = orvane::parseLaunchFile(written);
    if (!second.data || orvane::formatLaunchFile(*second.data) != written)
        __builtin_trap();
    return 0;
}
