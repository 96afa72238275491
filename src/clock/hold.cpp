#include "app.h"
#include "clock/frmOrvane.h"

namespace orvane {

void frmOrvane::wireHold() {}

void frmOrvane::HoldOrResume() {}
void frmOrvane::StartHold() {}
void frmOrvane::ResumeCount() {}
void frmOrvane::SetDigitColor(Color) {}
void frmOrvane::UpdateHeldTarget() {}
void frmOrvane::ToggleHoldEnable() {}

} // namespace orvane
