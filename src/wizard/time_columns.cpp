#include "wizard/time_columns.h"

namespace orvane {

void layOutTimeColumns(Frame& frame, const std::array<TimeColumn, 4>& columns) {
    for (int i = 0; i < 4; ++i) {
        const TimeColumn& c = columns[i];
        const int left = 255 + i * 1050;
        for (Label* l : {&c.head, &c.unit}) {
            l->setContainer(&frame);
            l->setAlignment(Align::Center);
            l->setTransparent(true);
            l->setWordWrap(false);
        }
        c.head.setCaption(c.shortName);
        c.head.move(left, 720, 975, 240);
        c.box.setContainer(&frame);
        c.box.setFont(Font{10, false, {}});
        c.box.move(left, 990, 690, 420);
        c.bar.setContainer(&frame);
        c.bar.move(left + 690, 990, 285, 420);
        c.unit.setCaption(c.longName);
        c.unit.move(left, 1500, 975, 240);
    }
}

std::array<TimeColumn, 4> MissionTimeEntry::layOut() {
    fraFrame.setCaption("Mission Time");
    lblPlusMinus.setContainer(&fraFrame);
    lblPlusMinus.setCaption("T Minus");
    lblPlusMinus.setFont(Font{12, true, {}});
    lblPlusMinus.setAlignment(Align::Center);
    lblPlusMinus.setTransparent(true);
    lblPlusMinus.move(195, 270, 4200, 360);
    const std::array<TimeColumn, 4> columns{{
        {Label3, txtDaysSim, vsbDaysSim, Label7, "Days", "Days", "000", 365},
        {Label4, txtHoursSim, vsbHoursSim, Label8, "Hours", "Hours", "00", 23},
        {Label5, txtMinutesSim, vsbMinutesSim, Label9, "Min", "Minutes", "00", 59},
        {Label6, txtSecondsSim, vsbSecondsSim, Label10, "Sec", "Seconds", "00", 59},
    }};
    layOutTimeColumns(fraFrame, columns);
    return columns;
}

} // namespace orvane
