#pragma once

// What a paired device may do to the count: the hold commands and muting the callouts,
// exactly as the program's own buttons and menus give them and only when they could be given
// (a greyed control refuses a device too, with the reason). Nothing else: no launch time, no
// files, no settings.

#include <optional>
#include <string>
#include <string_view>

namespace orvane {

class App;
class Settings;

enum class RemoteCommand { Hold, Resume, HoldEnable, HoldDisable, EndBuiltInHold, Mute, Unmute };

// A command as the control page sends it: one of the words "hold", "resume", "hold-enable",
// "hold-disable", "end-built-in-hold", "mute", "unmute", and nothing else. Empty, with the
// reason in ERROR, for anything else.
inline constexpr std::size_t MaxCommandBytes = 32;
std::optional<RemoteCommand> readRemoteCommand(std::string_view text, std::string& error);
const char* commandWord(RemoteCommand command);

// The choice "Let paired devices control the count", kept in the settings; off until chosen.
bool controlAllowed(Settings& settings, const std::string& appName);
void setControlAllowed(Settings& settings, const std::string& appName, bool allowed);

// Why no paired device may command this copy now (control is off, or it follows a leader);
// empty when they may.
std::string whyNoControl(App& app);

// Gives COMMAND for DEVICE (its name) as the program's own control would: empty when given,
// else why it cannot be given now. Whatever it raises carries the device's name.
std::string giveRemoteCommand(App& app, RemoteCommand command, const std::string& device);

} // namespace orvane
