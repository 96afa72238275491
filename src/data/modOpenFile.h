#pragma once

namespace orvane {

class App;

// Reads a launch data file into the windows; with showDialog the user picks the file first.
void ReadLaunchFile(App& app, bool showDialog);

} // namespace orvane
