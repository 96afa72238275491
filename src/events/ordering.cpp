#include "events/frmEventTimers.h"

namespace orvane {

// Puts the rows in the order of their events' signed offsets, earliest at the top; events
// with equal offsets keep the order of their numbers. The first and last places are marked
// for the scroll commands.
void frmEventTimers::SequenceEvents() {
    m_board.sequence();
    render();
}

// The column moves by whole places.
void frmEventTimers::ScrollRowsUp() {
    m_board.scrollUp();
    render();
}

void frmEventTimers::ScrollRowsDown() {
    m_board.scrollDown();
    render();
}

} // namespace orvane
