#pragma once

// The countdown plan file, a text file of its own (the launch data file never holds a plan):
//
//     Orvane countdown plan 1
//     T-03:00:00 02:30:00 ends Built-in hold
//     T-00:09:00 00:45:00 waits Final built-in hold: go/no-go poll
//     callout T-00:09:00 T minus nine minutes, go/no-go poll
//
// The first line names the format and its version. Each further line is one built-in hold:
// its T-time, its planned length, "ends" (it ends by itself when its time is up) or "waits"
// (it ends only on Resume), and its label, the rest of the line, UTF-8. A line starting
// "callout " is one of the team's own callouts: its T-time (T-HH:MM:SS, or T+HH:MM:SS after
// liftoff) and the words said then, the rest of the line. A plan without callout lines is
// read as before they existed, and one without callouts is written without them. Lines end in LF
// (CR LF is read too); blank lines and lines starting with '#' are passed over. A file is
// read all or nothing: the first thing wrong refuses it, naming its line.

#include "model/countdown_plan.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orvane {

inline constexpr std::size_t PlanFileLimit = 16 * 1024;
inline constexpr const char* PlanFileHeader = "Orvane countdown plan 1";

struct PlanFileRead {
    std::optional<CountdownPlan> plan;
    // What is wrong, completing "Orvane could not read FILE: ...": "line 3: ...".
    std::string problem;
};

PlanFileRead parsePlanFile(std::string_view content);
// The file's content for PLAN; reading it back gives the same plan, and saving that the same
// bytes.
std::string formatPlanFile(const CountdownPlan& plan);
// SECONDS as the file writes a T-time or a length: "HH:MM:SS", the hours up to 99.
std::string planHms(std::int64_t seconds);

} // namespace orvane
