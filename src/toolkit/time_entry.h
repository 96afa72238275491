#pragma once

// A time of day typed as hours, minutes and seconds: a heading over each, and a box with its
// scroll bar for each. The event wizard's date page and the main window's launch window panel
// declare this same block; each window lays it out and links it by its own design.

#include "toolkit/controls.h"

#include <array>

namespace orvane {

struct TimeOfDayEntry {
    // The headings take the owning window's design names (hours first); the boxes and bars
    // are txtHoursW, vsbHoursW, txtMinutesW, ... on every window that has the block.
    TimeOfDayEntry(Form* form, const char* hoursHead, const char* minutesHead,
                   const char* secondsHead)
        : hoursHead(form, hoursHead), minutesHead(form, minutesHead),
          secondsHead(form, secondsHead), txtHoursW(form, "txtHoursW"),
          vsbHoursW(form, "vsbHoursW"), txtMinutesW(form, "txtMinutesW"),
          vsbMinutesW(form, "vsbMinutesW"), txtSecondsW(form, "txtSecondsW"),
          vsbSecondsW(form, "vsbSecondsW") {}

    Label hoursHead;
    Label minutesHead;
    Label secondsHead;
    TextBox txtHoursW;
    ScrollBar vsbHoursW;
    TextBox txtMinutesW;
    ScrollBar vsbMinutesW;
    TextBox txtSecondsW;
    ScrollBar vsbSecondsW;

    struct Column {
        Label& head;
        TextBox& box;
        ScrollBar& bar;
        const char* caption;
        int max;
    };
    // Hours, minutes and seconds, each with its heading's caption and its largest value.
    std::array<Column, 3> columns() {
        return {{{hoursHead, txtHoursW, vsbHoursW, "Hours", 23},
                 {minutesHead, txtMinutesW, vsbMinutesW, "Minutes", 59},
                 {secondsHead, txtSecondsW, vsbSecondsW, "Seconds", 59}}};
    }
};

} // namespace orvane
