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
    frmEventTimers().RestoreEventRow(n, name, mark, visible);
}

void App::writeLaunchData(LaunchData& data) {
    frmOrvane().writeLaunchData(data);
}

void App::readLaunchData(const LaunchData& data) {
    frmOrvane().readLaunchData(data);
}

void App::writeEventRow(int n, LaunchEventBlock& block) {
    const frmEventTimers::Row row = frmEventTimers().row(n);
    block.visible = frmEventTimers().pctEvent[std::size_t(n)].visible();
    // The row's direction mark: "+" after liftoff, "-" before it, none for a row never defined.
    block.mark.clear();
    if (row.defined)
        block.mark.push_back(row.direction == frmEventTimers::Direction::After ? '+' : '-');
    block.name = row.name;
}

void App::showLaunchFile(const std::string& path) {
    frmOrvane().showLaunchFile(path);
}

void App::launchDataRead() {
    frmOrvane().RestampHold();
    frmEventTimers().tmrToolTips.setEnabled(true);
}

} // namespace orvane
