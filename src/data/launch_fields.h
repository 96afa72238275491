#pragma once

// Copies the launch data file's fields between the program and a LaunchData: the launch state
// and the main window's entry boxes, the simulated time wizard's entries, and the event rows.

#include "data/launch_format.h"

#include <string>

namespace orvane {

class App;

LaunchData collectLaunchData(App& app);

// Assigns every field to its destination in file order (each scroll bar before its box),
// each through the control's own change handling, as if the user had made the change. Field 12 (the
// save path) and field 13 (the shown file) are left to the reader, which names the file it read in
// both.
void applyLaunchData(App& app, const LaunchData& data);

// The launch data file in use, which the status bar shows.
std::string shownLaunchFile(App& app);
void showLaunchFile(App& app, const std::string& path);

} // namespace orvane
