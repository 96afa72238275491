#pragma once

// The four columns of a mission time (days, hours, minutes, seconds) that the event wizard's
// mission time page and the Manual Sim Time Wizard's time page both show in their frame.

#include "platform/controls.h"

#include <array>

namespace orvane {

struct TimeColumn {
    Label& head;
    TextBox& box;
    ScrollBar& bar;
    Label& unit;
    const char* shortName; // above the box
    const char* longName;  // below it
    const char* pattern;   // the box's zero padding
    int max;
};

// Places the columns side by side in FRAME, each a header, a box with its scroll bar, and the
// unit written out.
void layOutTimeColumns(Frame& frame, const std::array<TimeColumn, 4>& columns);

} // namespace orvane
