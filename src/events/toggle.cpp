#include "app.h"
#include "clock/frmOrvane.h"
#include "events/frmEventTimers.h"

namespace orvane {

namespace {

// The main window's "Show Event Timers" captions carry whether the board is shown.
void toggleEventTimers(App& app) {
    orvane::frmOrvane& main = app.frmOrvane();
    orvane::frmEventTimers& board = app.frmEventTimers();
    const bool hidden = main.mnuShowTimers.caption() != "Hide Event Timers";
    const char* caption = hidden ? "Hide Event Timers" : "Show Event Timers";
    board.setVisible(hidden);
    board.tmrCount.setEnabled(hidden);
    board.tmrActions.setEnabled(hidden);
    main.mnuShowTimers.setCaption(caption);
    main.mnuRtShowTimers.setCaption(caption);
    main.cmdShowTimers.setCaption(caption);
}

} // namespace

void frmOrvane::ToggleEventTimers() {
    toggleEventTimers(m_app);
}
void frmEventTimers::ToggleEventTimers() {
    toggleEventTimers(m_app);
}

} // namespace orvane
