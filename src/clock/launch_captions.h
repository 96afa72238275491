#pragma once

// What the main window's captions show of the launch state: the value each one shows and its
// text. A caption is written again only when its value changes, so a text that a user, a
// script or a file wrote stays as written.

#include "dates/datetime.h"
#include "dates/zone.h"

#include <cstdint>
#include <optional>
#include <string>

namespace orvane {

struct LaunchCaptions {
    // Set while the window writes them, so that its own writes are not taken as edits.
    bool rendering = false;
    // The pattern the launch time is written in; none while it shows as a user, a script or a
    // file wrote it.
    const char* launchPattern = nullptr;
    const char* shownLaunchPattern = nullptr;
    std::optional<LocalTime> shownLaunchTime;
    std::string launchText;
    // lblTargetStamp is the launch time's text when a hold stamps it, and a general date when
    // the entry does.
    bool targetStampCopiesLaunch = true, shownTargetStampCopies = true;
    std::optional<LocalTime> shownHoldStart, shownHoldTarget, shownWindowStart;
    bool shownHeld = false;
    // What is left of the launch window shows as given (entered, or a file's text) until holds
    // use it up, then as "hh:mm:ss".
    bool windowCounted = false;
    bool windowTextChanged = false;
    std::string windowText;
    std::optional<std::int64_t> shownWindowLeft, shownWindowBudget;
};

} // namespace orvane
