#pragma once

#include <string>

namespace orvane {

class App;

// Reads a launch data file into the windows: the file shown in the status bar, or with
// showDialog the file the user picks in the Open dialog. The whole file is checked before
// anything changes; a bad file is reported and changes nothing. True when the file was read.
bool ReadLaunchFile(App& app, bool showDialog);

// The Open command: offers to save the open file first, then reads the file the user picks.
void OpenLaunchFile(App& app);

// The default launch data file, launch.ovx in the program's folder, or in the user's own
// data folder where the program's folder cannot be written.
std::string defaultLaunchFile(App& app);

} // namespace orvane
