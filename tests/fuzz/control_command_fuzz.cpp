// Feeds the reader of a paired device's commands any bytes at all. Besides the sanitizers'
// findings it stops on a command taken from anything but its own word, or a refusal without
// its reason.

#include "remote/remote_command.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(bytes), size);
    std::string error;
    const auto command = orvane::readRemoteCommand(text, error);
    if (command ? text != orvane::commandWord(*command) || !error.empty() : error.empty())
        __builtin_trap();
    return 0;
}
