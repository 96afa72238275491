#include "wizard/event_panel.h"

#include "data/CTimeData.h"
#include "events/frmEventTimers.h"
#include "toolkit/form.h"

#include <cstdint>
#include <string>

namespace orvane {

namespace {

constexpr int ButtonWidth = 1815;
constexpr int ButtonHeight = 300;

// The place of a rank, in twips from the frame's corner.
int placeLeft(int rank) {
    return rank <= 5 ? 285 : 2235;
}
int placeTop(int rank) {
    return 360 + 405 * ((rank - 1) % 5);
}

// Events rank by their offset, then by their number, so that events at one time (every event
// never defined reads 0) each have a place of their own, a button the user can reach.
int placeRank(const CTimeData& data, int n) {
    const std::int32_t mine = data.signedOffset(n);
    int rank = 1;
    for (int j = 0; j < 10; ++j) {
        const std::int32_t other = data.signedOffset(j);
        if (other < mine || (other == mine && j < n))
            ++rank;
    }
    return rank;
}

} // namespace

void ArrangeEventButtons(std::array<OptionButton, 10>& buttons, const CTimeData& data) {
    for (int n = 0; n < 10; ++n) {
        const int rank = placeRank(data, n);
        buttons[n].move(placeLeft(rank), placeTop(rank));
    }
}

void buildEventPanel(Frame& frame, std::array<OptionButton, 10>& buttons, int left, int top) {
    frame.setCaption("Select an Event Number");
    frame.move(left, top, 4275, 2475);
    for (int n = 0; n < 10; ++n) {
        OptionButton& b = buttons[n];
        b.setContainer(&frame);
        b.setCaption("Event #" + std::to_string(n + 1));
        b.setTag(std::to_string(n));
        b.move(placeLeft(n + 1), placeTop(n + 1), ButtonWidth, ButtonHeight);
    }
}

void copyEventNames(std::array<OptionButton, 10>& buttons, const frmEventTimers& board) {
    for (int n = 0; n < 10; ++n)
        buttons[n].setCaption(board.eventName(n));
}

bool isUnassigned(const frmEventTimers& board, int n) {
    return !board.isAssigned(n);
}

int selectedEvent(const std::array<OptionButton, 10>& buttons) {
    for (int n = 0; n < 10; ++n)
        if (buttons[n].value())
            return n;
    return -1;
}

} // namespace orvane
