#pragma once

// The program's help and its other Help menu commands, as the shell offers them to the
// windows through the App.

#include <string>

namespace orvane {

struct AppInfo;

// The help file in the program's folder, as the help viewer is asked for it.
std::string HelpFile(const AppInfo& info);

// The topics: the main page, named from the program's windows and from the Technical
// Support box.
inline constexpr const char* MainHelpTopic = "orvhlp\\main.htm";
inline constexpr const char* SupportHelpTopic = "main.htm";

// The calculator the Help menu starts; the platform puts the desktop's own calculator in its
// place.
inline constexpr const char* CalculatorProgram = "c:\\windows\\calc.exe";

} // namespace orvane
