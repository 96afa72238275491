#pragma once

// The program's colours, as the windows store them (&HBBGGRR).

#include "toolkit/value.h"

namespace orvane {

inline constexpr Color LightRed = 0x8080FF;   // the main window before launch
inline constexpr Color Green = 0x00C000;      // the main window from the launch second on
inline constexpr Color LightGrey = 0xE0E0E0;  // digits while counting; event names
inline constexpr Color Yellow = 0x00FFFF;     // digits while held; an event 1 to 60 s ahead
inline constexpr Color PaleGreen = 0xC0FFC0;  // the launch window warning
inline constexpr Color PaleRed = 0xC0C0FF;    // an event still ahead; before liftoff
inline constexpr Color LightGreen = 0x80FF80; // an event passed; after liftoff
inline constexpr Color Amber = 0x00BFFF;      // a warning in the status bar
inline constexpr Color PaleYellow = 0xC0FFFF; // an event 61 to 600 s ahead; the date hint

} // namespace orvane
