#pragma once

namespace orvane {

class App;

// Writes the whole working state to the save path, or with showDialog to the file the user
// picks in the Save As dialog. A save that fails is reported, leaves the old file as it was
// and changes no file name. True when the file was written.
bool WriteLaunchFile(App& app, bool showDialog);

} // namespace orvane
