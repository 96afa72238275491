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

// The frame "Mission Time" of a page whose controls carry the mission time pages' names: the
// side of liftoff ("T Minus" until the page before says otherwise) across the top, and the four
// columns below. Returns the columns, for the page to link each box to its scroll bar.
template <class Page> std::array<TimeColumn, 4> layOutMissionTime(Page& p) {
    p.fraFrame.setCaption("Mission Time");
    p.lblPlusMinus.setContainer(&p.fraFrame);
    p.lblPlusMinus.setCaption("T Minus");
    p.lblPlusMinus.setFont(Font{12, true, {}});
    p.lblPlusMinus.setAlignment(Align::Center);
    p.lblPlusMinus.setTransparent(true);
    p.lblPlusMinus.move(195, 270, 4200, 360);
    const std::array<TimeColumn, 4> columns{{
        {p.Label3, p.txtDaysSim, p.vsbDaysSim, p.Label7, "Days", "Days", "000", 365},
        {p.Label4, p.txtHoursSim, p.vsbHoursSim, p.Label8, "Hours", "Hours", "00", 23},
        {p.Label5, p.txtMinutesSim, p.vsbMinutesSim, p.Label9, "Min", "Minutes", "00", 59},
        {p.Label6, p.txtSecondsSim, p.vsbSecondsSim, p.Label10, "Sec", "Seconds", "00", 59},
    }};
    layOutTimeColumns(p.fraFrame, columns);
    return columns;
}

} // namespace orvane
