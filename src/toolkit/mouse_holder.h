#pragma once

#include "toolkit/controls.h"

namespace orvane {

// Mouse input over a control a person cannot reach (it, or a picture box or frame around it,
// is disabled) is not lost: as on the platform the windows were designed for, it goes to what
// holds the control, the nearest picture box or frame around it that takes input, else the
// window. Null when there is none: for a window, a menu item, or a control of a disabled
// window. Keys and edits are never passed on.
Control* mouseHolder(const Control& c);

} // namespace orvane
