#include "app.h"
#include "clock/frmOrvane.h"
#include "events/frmEventTimers.h"

namespace orvane {

namespace {

// The main window's "Show Event Timers" captions carry whether the board is shown. While it
// is hidden only the count up runs, so rows whose moment passes meanwhile are counting when
// the board comes back; the count down and the alert colours wait for it to be seen.
void toggleEventTimers(App& app) {
    orvane::frmOrvane& main = app.frmOrvane();
    orvane::frmEventTimers& board = app.frmEventTimers();
    if (main.mnuShowTimers.caption() != "Hide Event Timers") {
        board.show();
        board.tmrCount.setEnabled(true);
        board.tmrActions.setEnabled(true);
        main.mnuShowTimers.setCaption("Hide Event Timers");
        main.mnuRtShowTimers.setCaption("Hide Event Timers");
        main.cmdShowTimers.setCaption("Hide Event Timers");
        board.tmrCount.setEnabled(true);
        // Rows removed by Remove All stay hidden until an event is defined on them.
        for (int n = 0; n < 10; ++n)
            if (!board.pctEvent[n].tag().empty())
                board.pctEvent[n].setVisible(true);
    } else {
        board.hide();
        board.tmrCount.setEnabled(false);
        board.tmrActions.setEnabled(false);
        main.mnuShowTimers.setCaption("Show Event Timers");
        main.mnuRtShowTimers.setCaption("Show Event Timers");
        main.cmdShowTimers.setCaption("Show Event Timers");
    }
}

} // namespace

void frmOrvane::ToggleEventTimers() {
    toggleEventTimers(m_app);
}
void frmEventTimers::ToggleEventTimers() {
    toggleEventTimers(m_app);
}

} // namespace orvane
