#include "app.h"
#include "clock/frmOrvane.h"

namespace orvane {

void frmOrvane::wireLaunchWindow() {}

void frmOrvane::SetLaunchWindow() {}
std::string frmOrvane::GetWindowEntry() const {
    return {};
}
void frmOrvane::ConfirmWindowChange(bool& ok) {
    ok = true;
}
void frmOrvane::ApplyLaunchWindowActive() {}
void frmOrvane::UpdateHeldWindow() {}

void frmOrvane::UpdateWindowWarning() {
    lblWindowWarning.setVisible(WindowWarningDue());
}

bool frmOrvane::WindowWarningDue() const {
    return false;
}

void frmOrvane::CheckWindowLock(std::string&) {}

} // namespace orvane
