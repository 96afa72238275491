#pragma once

// The panel of ten event buttons that the wizard's number page and the Remove Event dialog
// share. Both windows lay the buttons out in the order of the events' times, so the panel
// reads like the event schedule; each window calls these routines for its own buttons, so
// the two layouts can never drift apart.

#include "toolkit/controls.h"

#include <array>
#include <cstdint>

namespace orvane {

class CTimeData;
class frmEventTimers;

// Places button N at the place of its event's rank: ranks 1 to 5 down the left column,
// 6 to 10 down the right. Buttons of events with equal offsets share one place.
void ArrangeEventButtons(std::array<OptionButton, 10>& buttons, const CTimeData& data);

// The design values of the panel: the frame, and the ten buttons in it at the places of
// ranks 1 to 10, each tagged with its event number.
void buildEventPanel(Frame& frame, std::array<OptionButton, 10>& buttons, int left, int top);

// Each button takes its event's row name from the board.
void copyEventNames(std::array<OptionButton, 10>& buttons, const frmEventTimers& board);

// An event counts as unassigned exactly when its row panel carries no direction mark.
bool isUnassigned(const frmEventTimers& board, int n);

// The event of the selected button, or -1 when none is selected.
int selectedEvent(const std::array<OptionButton, 10>& buttons);

} // namespace orvane
