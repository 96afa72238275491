// What the launch data file asks of the windows, so that the file's modules need neither
// window's controls.

#include "app.h"
#include "clock/frmOrvane.h"
#include "events/frmEventTimers.h"

namespace orvane {

CTimeData& App::EventData() {
    return frmEventTimers().EventData();
}

void App::RestoreEventRow(int n, std::string_view name, std::string_view mark, bool visible) {
    orvane::frmEventTimers& board = frmEventTimers();
    board.lblName[std::size_t(n)].setCaption(std::string(name));
    board.pctEvent[std::size_t(n)].setTag(std::string(mark));
    board.pctEvent[std::size_t(n)].setVisible(visible);
    board.lblTag[std::size_t(n)].setTag("");
}

void App::setHoldArmed(bool armed) {
    frmOrvane().SetHoldArmed(armed);
}

void App::launchDataRead() {
    frmOrvane().RestampHold();
    frmEventTimers().tmrToolTips.setEnabled(true);
}

} // namespace orvane
