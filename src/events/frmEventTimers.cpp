#include "events/frmEventTimers.h"

#include "app.h"

namespace orvane {

frmEventTimers::frmEventTimers(App& app) : Form(app.services(), "frmEventTimers"), m_app(app) {
    setCaption("Event Timers");
    move(6000, 600, 5625, 8400);
    // The window is only ever hidden, never closed by its close button.
    onQueryUnload = [](bool& cancel, UnloadMode) { cancel = true; };
}

} // namespace orvane
