// What the launch data file asks of the windows, so that the file's modules need neither
// window's controls.

#include "app.h"
#include "clock/frmOrvane.h"
#include "events/frmEventTimers.h"

namespace orvane {

CTimeData& App::EventData() {
    return frmEventTimers().EventData();
}

void App::RestoreEventRow(int n, std::string_view name, std::optional<Direction> mark,
                          bool visible) {
    frmEventTimers().RestoreEventRow(n, name, mark, visible);
}

void App::setHoldArmed(bool armed) {
    frmOrvane().SetHoldArmed(armed);
}

void App::launchDataRead() {
    frmOrvane().RestampHold();
    frmEventTimers().tmrToolTips.setEnabled(true);
}

} // namespace orvane
