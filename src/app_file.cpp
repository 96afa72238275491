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

void App::writeLaunchData(LaunchData& data) {
    frmOrvane().writeLaunchData(data);
}

void App::readLaunchData(const LaunchData& data) {
    frmOrvane().readLaunchData(data);
}

void App::showLaunchFile(const std::string& path) {
    frmOrvane().showLaunchFile(path);
}

void App::launchDataRead() {
    frmOrvane().RestampHold();
    frmEventTimers().showToolTipsAgain();
}

} // namespace orvane
