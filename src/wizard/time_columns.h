#pragma once

// The four columns of a mission time (days, hours, minutes, seconds) that the event wizard's
// mission time page and the Manual Sim Time Wizard's time page both show in their frame.

#include "toolkit/controls.h"

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

// The frame "Mission Time" of both mission time pages, its controls made on the owning page
// under their design names, in the order the pages declare them.
struct MissionTimeEntry {
    explicit MissionTimeEntry(Form* page) : page(page) {}
    Form* page;
    Frame fraFrame{page, "fraFrame"};
    Label lblPlusMinus{page, "lblPlusMinus"};
    Label Label3{page, "Label3"};
    Label Label4{page, "Label4"};
    Label Label5{page, "Label5"};
    Label Label6{page, "Label6"};
    TextBox txtDaysSim{page, "txtDaysSim"};
    ScrollBar vsbDaysSim{page, "vsbDaysSim"};
    TextBox txtHoursSim{page, "txtHoursSim"};
    ScrollBar vsbHoursSim{page, "vsbHoursSim"};
    TextBox txtMinutesSim{page, "txtMinutesSim"};
    ScrollBar vsbMinutesSim{page, "vsbMinutesSim"};
    TextBox txtSecondsSim{page, "txtSecondsSim"};
    ScrollBar vsbSecondsSim{page, "vsbSecondsSim"};
    Label Label7{page, "Label7"};
    Label Label8{page, "Label8"};
    Label Label9{page, "Label9"};
    Label Label10{page, "Label10"};

    // The side of liftoff ("T Minus" until the page before says otherwise) across the top of
    // the frame, and the four columns below. Returns the columns, for the page to link each
    // box to its scroll bar by its own rule.
    std::array<TimeColumn, 4> layOut();
};

} // namespace orvane
