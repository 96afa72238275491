#pragma once

// The program's command line, read by one parser for the program and the scenario runner
// alike. Plain types only, so the runner can use it without Qt's headers.

#include <optional>
#include <string>
#include <vector>

namespace orvane {

struct AppInfo;

// --journal-csv OUT or --debrief-html OUT: the journal written out, without a window.
struct JournalExportRequest {
    bool html = false;
    std::string out;     // full path
    long long run = 0;   // 0: the last run
    bool all = false;    // every run
};

// What the command line decided before any window exists.
struct CommandLineOutcome {
    bool start = true;  // false: the program ends at once, with exitStatus
    int exitStatus = 0; // 0, or BadCommandLine
    std::string output; // for standard output: the help or the version
    std::string error;  // one line for standard error
    std::optional<JournalExportRequest> journalExport; // start is false: export instead
};

inline constexpr int BadCommandLine = 2;

// Reads ARGUMENTS (the command line without the program's own name) into the start options
// of INFO: the launch data file to read (a relative name is taken from WORKINGDIR), the own
// clock and the splash. INFO's name and version are used for the help and the version.
CommandLineOutcome readCommandLine(const std::vector<std::string>& arguments,
                                   const std::string& workingDir, AppInfo& info);

// The program's folder, where its tips and help are found: the folder of the executable in a
// build tree, or PREFIX/share/orvane once installed (the executable in PREFIX/bin).
std::string programFolder(const std::string& executableDir);

} // namespace orvane
