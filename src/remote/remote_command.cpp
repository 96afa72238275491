#include "remote/remote_command.h"

#include <array>
#include <utility>

namespace orvane {

namespace {

constexpr std::array<std::pair<RemoteCommand, const char*>, 7> Words{{
    {RemoteCommand::Hold, "hold"},
    {RemoteCommand::Resume, "resume"},
    {RemoteCommand::HoldEnable, "hold-enable"},
    {RemoteCommand::HoldDisable, "hold-disable"},
    {RemoteCommand::EndBuiltInHold, "end-built-in-hold"},
    {RemoteCommand::Mute, "mute"},
    {RemoteCommand::Unmute, "unmute"},
}};

} // namespace

std::optional<RemoteCommand> readRemoteCommand(std::string_view text, std::string& error) {
    if (text.size() > MaxCommandBytes) {
        error = "a command is at most " + std::to_string(MaxCommandBytes) + " bytes";
        return std::nullopt;
    }
    for (const auto& [command, word] : Words)
        if (text == word)
            return command;
    error = "not a command";
    return std::nullopt;
}

const char* commandWord(RemoteCommand command) {
    for (const auto& [c, word] : Words)
        if (c == command)
            return word;
    return "";
}

} // namespace orvane
