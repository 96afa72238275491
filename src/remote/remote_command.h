#pragma once

// The commands a paired device may send, as words: read strictly, on their own so that the
// reader can be fuzzed.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace orvane {

enum class RemoteCommand { Hold, Resume, HoldEnable, HoldDisable, EndBuiltInHold, Mute, Unmute };

// A command as the control page sends it: one of the words "hold", "resume", "hold-enable",
// "hold-disable", "end-built-in-hold", "mute", "unmute", and nothing else. Empty, with the
// reason in ERROR, for anything else.
inline constexpr std::size_t MaxCommandBytes = 32;
std::optional<RemoteCommand> readRemoteCommand(std::string_view text, std::string& error);
const char* commandWord(RemoteCommand command);

} // namespace orvane
