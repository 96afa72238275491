#pragma once

// The launch data file's notation: one line of 88 comma-separated fields holding the whole
// working state, texts in double quotes, whole numbers in decimal, booleans as #TRUE# and
// #FALSE#, an empty variant as nothing at all between its commas, the line ended by CR LF.
//
// A file is read all or nothing: every field is converted and checked for sense before the
// program touches a single control, so a bad file changes nothing.

#include "data/CTimeData.h"
#include "data/SimWizardEntries.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orvane {

inline constexpr int LaunchFileFields = 88;
// The most a launch data file may hold. The program's own files stay far below it: the name
// page takes names of a row's length, and every other field is short.
inline constexpr std::size_t LaunchFileLimit = 64 * 1024;
inline constexpr const char* LaunchFileLimitText = "64 KiB";

// Fields 29 to 88: six for each event, event 0 first.
struct LaunchEventBlock {
    Variant tag;           // EventData.TagN
    std::int32_t secs = 0; // EventData.SecsN
    Variant plus;          // EventData.PlusN: "+", "-" or empty
    bool visible = false;  // the event's row is shown
    std::string mark;      // the row's direction mark: "+", "-" or ""
    std::string name;      // the row's name
    bool operator==(const LaunchEventBlock&) const = default;
};

// Fields 1 to 28, by the controls they come from and go to.
struct LaunchData {
    std::string lblTarget;         // 1: the launch time as shown
    std::string txtLaunchDate;     // 2
    int chkLaunchWindowActive = 0; // 3: 0 or 1
    bool holdEnabled = false;      // 4: cmdHoldResume enabled (the hold is armed)
    std::string lblLaunchWindow;   // 5: the remaining launch window, a time of day
    std::string txtSeconds;        // 6
    std::string txtMinutes;        // 7
    std::string txtHours;          // 8
    std::string txtSecondsW;       // 9
    std::string txtMinutesW;       // 10
    std::string txtHoursW;         // 11
    std::string savePath;          // 12
    std::string currentFile;       // 13: pnlCurrentFile
    int vsbSeconds = 0;            // 14
    int vsbMinutes = 0;            // 15
    int vsbHours = 0;              // 16
    int vsbSecondsW = 0;           // 17
    int vsbMinutesW = 0;           // 18
    int vsbHoursW = 0;             // 19
    SimWizardEntries sim;          // 20 to 28
    std::array<LaunchEventBlock, 10> events;
};

// What reading a file gave: the data, or the one thing wrong with it in words that complete
// "Orvane could not read FILE: ..." ("field 14 is not a whole number").
struct LaunchFileRead {
    std::optional<LaunchData> data;
    std::string problem;
};

// Reads the notation as this program and other Basic-style writers produce it: #TRUE# and
// #FALSE# in any letter case, CR LF or LF line ends, blanks around the fields.
LaunchFileRead parseLaunchFile(std::string_view content);

// The file's content for DATA. A text cannot hold a double quote in this notation: each one
// is written as an apostrophe, so that every file written reads back with 88 fields.
std::string formatLaunchFile(const LaunchData& data);

// What the reader accepts for the texts whose sense it checks.
bool isLaunchTimeText(std::string_view text); // a date, with or without a time of day
bool isTimeOfDayText(std::string_view text);  // a time of day without a date

} // namespace orvane
