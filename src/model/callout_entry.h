#pragma once

// The team's own callouts: each entry is a T-time and the words said when the count shows it.
// They are kept in the countdown plan when one is open, otherwise in the settings; both write
// an entry as its T-time and its words:
//
//     T-00:09:00 T minus nine minutes, go/no-go poll
//     T+00:00:10 tower clear
//
// T-00:00:00 is liftoff ("at liftoff" in the Callouts dialog).

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orvane {

struct CalloutEntry {
    // Seconds to the launch time as the count shows it: positive before (T-), negative after
    // (T+), zero at liftoff.
    std::int64_t toLaunch = 0;
    std::string words;
    bool operator==(const CalloutEntry&) const = default;
};

inline constexpr std::size_t MaxCalloutWords = 200; // characters
inline constexpr std::size_t MaxCalloutEntries = 100;
inline constexpr std::int64_t MaxCalloutSeconds = 99 * 3600 + 59 * 60 + 59;

// What is wrong with WORDS as a callout, or none: they must be UTF-8, printable (no control,
// zero-width or direction character: what is said must be what the table shows), not blank,
// and at most 200 characters.
std::optional<std::string> checkCalloutWords(const std::string& words);
// "T-00:09:00", "T+00:00:10", "T-00:00:00"; with LIFTOFF, T-0 reads "at liftoff".
std::string calloutTime(std::int64_t toLaunch, bool liftoff = false);
// The T-time read back: "T-HH:MM:SS", "T+HH:MM:SS" or (LIFTOFF) "at liftoff"; none otherwise.
std::optional<std::int64_t> readCalloutTime(const std::string& text, bool liftoff = false);
// One entry as the plan file and the settings write it, and read back (the reason when wrong).
std::string formatCalloutEntry(const CalloutEntry& entry);
std::optional<CalloutEntry> readCalloutEntry(const std::string& text, std::string& wrong);
// What is wrong with adding ENTRY to ENTRIES in place of entry REPLACING (none: added), or
// none: its words, a second entry at its T-time, too many entries.
std::optional<std::string> checkCalloutEntry(const std::vector<CalloutEntry>& entries,
                                             const CalloutEntry& entry,
                                             std::optional<std::size_t> replacing);

} // namespace orvane
