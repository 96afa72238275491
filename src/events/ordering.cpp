#include "events/frmEventTimers.h"

namespace orvane {

namespace {
// The ends of the travel: the top row eight places above the first place, or the bottom row
// at the ninth place or lower.
constexpr int HighestTravel = frmEventTimers::FirstPlaceTop - 8 * frmEventTimers::PlaceStep;
constexpr int LowestTravel = 10000;
} // namespace

// Puts the rows in the order of their events' signed offsets, earliest at the top; events
// with equal offsets keep the order of their numbers. The first and last places are marked
// for the scroll commands.
void frmEventTimers::SequenceEvents() {
    for (Label& time : lblTime)
        time.setTag("");
    for (int n = 0; n < 10; ++n) {
        const int rank = EventRank(EventData().signedOffset(n));
        pctEvent[n].setTop(FirstPlaceTop + PlaceStep * (rank - 1));
        if (rank == 1)
            lblTime[n].setTag("High");
        if (rank == 10)
            lblTime[n].setTag("Low");
    }
    for (int n = 0; n < 10; ++n)
        SeparateTies(n);
}

// Tied events share a rank; the places after them stay free for SeparateTies.
int frmEventTimers::EventRank(std::int32_t key) const {
    return EventData().EventRank(key);
}

// Moves every other row standing at row n's place one place down. Called for the rows in
// event-number order, this walks each tie group down into the free places below it.
void frmEventTimers::SeparateTies(int n) {
    const int top = pctEvent[n].top();
    for (int j = 0; j < 10; ++j)
        if (j != n && pctEvent[j].top() == top)
            pctEvent[j].setTop(top + PlaceStep);
    if (top == FirstPlaceTop)
        lblTime[n].setTag("High");
    else if (top == LastPlaceTop)
        lblTime[n].setTag("Low");
}

// The column moves by whole places. Each command looks at the position before its move, so
// the one that reaches the end of the travel disables itself and still makes the move.
void frmEventTimers::ScrollRowsUp() {
    cmdUp.setEnabled(true);
    mnuScrollDown.setEnabled(true);
    int top = 0;
    for (int n = 0; n < 10; ++n)
        if (lblTime[n].tag() == "High")
            top = pctEvent[n].top();
    if (top <= HighestTravel) {
        cmdDown.setEnabled(false);
        mnuScrollUp.setEnabled(false);
    }
    for (PictureBox& row : pctEvent)
        row.setTop(row.top() - PlaceStep);
}

void frmEventTimers::ScrollRowsDown() {
    cmdDown.setEnabled(true);
    mnuScrollUp.setEnabled(true);
    int top = 0;
    for (int n = 0; n < 10; ++n)
        if (lblTime[n].tag() == "Low")
            top = pctEvent[n].top();
    if (top >= LowestTravel) {
        cmdUp.setEnabled(false);
        mnuScrollDown.setEnabled(false);
    }
    for (PictureBox& row : pctEvent)
        row.setTop(row.top() + PlaceStep);
}

} // namespace orvane
