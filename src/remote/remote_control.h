#pragma once

// What a paired device may do to the count: the hold commands and muting the callouts,
// exactly as the program's own buttons and menus give them and only when they could be given
// (a greyed control refuses a device too, with the reason). Nothing else: no launch time, no
// files, no settings.

#include "remote/remote_command.h"

#include <string>

namespace orvane {

class App;
class Settings;

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
