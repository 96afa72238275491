#pragma once

// The launch data file names: the file in use (which the status bar shows), and the Open
// dialog's and the Save As dialog's file names.

#include <set>
#include <string>

namespace orvane {

struct LaunchFileNames {
    // The file in use: empty until start-up has read (or tried to read) one.
    std::string currentFile;
    // The file the reader reads: the file shown when the last read or write succeeded.
    std::string openPath;
    // The file the writer writes: the file last read or written. Start-up sets it to the
    // default file's full path.
    std::string savePath = "launch.ovx";
    // Files this run could not read. Before a save replaces one, the old file is kept beside
    // it as FILE.bad (or FILE.bad.1, ... when that is taken), so nothing the user had is lost.
    std::set<std::string> unreadable;
};

} // namespace orvane
