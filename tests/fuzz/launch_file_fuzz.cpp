// Feeds the launch data file reader any bytes at all. Besides the sanitizers' findings it
// stops on a reader that accepts a file whose own rewrite it then refuses or reads
// differently: whatever the program reads, it must be able to save and read again.

#include "data/launch_format.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    const std::string_view content(reinterpret_cast<const char*>(bytes), size);
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
