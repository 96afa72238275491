#include "events/frmEventTimers.h"

#include "app.h"

namespace orvane {

frmEventTimers::frmEventTimers(App& app) : Form(app.services(), "frmEventTimers"), m_app(app) {
    setCaption("Event Timers");
    move(6000, 600, 5625, 8400);
    for (int n = 0; n < 10; ++n) {
        pctEvent[n].move(100, 120 + 1320 * n, 2865, 1035);
        lblName[n].setContainer(&pctEvent[n]);
        lblName[n].setCaption("Event #" + std::to_string(n + 1));
        lblTime[n].setContainer(&pctEvent[n]);
        lblTime[n].setCaption("000/   00:00:00");
        lblTag[n].setContainer(&pctEvent[n]);
        lblTag[n].setCaption("Label1");
    }
    // The window is only ever hidden, never closed by its close button.
    onQueryUnload = [](bool& cancel, UnloadMode) { cancel = true; };
}

CTimeData& frmEventTimers::EventData() {
    if (!m_eventData)
        m_eventData = std::make_unique<CTimeData>();
    return *m_eventData;
}

} // namespace orvane
