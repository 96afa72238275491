#include "events/frmEventTimers.h"
#include "colors.h"

#include "app.h"

namespace orvane {

namespace {

// The control area to the right of the rows: the wide window (5625) shows it, the narrow
// one (3255) only the rows, so it starts beyond the narrow width.
constexpr int ControlsLeft = 3300;
constexpr int ControlsWidth = 2190;
constexpr int ButtonHeight = 435;
constexpr int ArrowHeight = 495;
// Six places show at once: the window ends in the gap below the sixth row.
constexpr int VisibleRowsBottom =
    frmEventTimers::FirstPlaceTop + 5 * frmEventTimers::PlaceStep + 1035;

void button(CommandButton& b, std::string caption, int top, int height = ButtonHeight) {
    b.setCaption(std::move(caption));
    b.move(ControlsLeft, top, ControlsWidth, height);
}

} // namespace

frmEventTimers::frmEventTimers(App& app)
    : Form(app.services(), "frmEventTimers"), m_app(app),
      m_places(app.services().settings, app.info().exeName, "frmEventTimers"), m_board(app.board()),
      m_eventData(app.board()) {
    setDesignValues();
    layOut();
    wireCommands();
    wireEdits();
    render();
    // It opens where the user last put it, on a monitor that is still there, else where it
    // was designed to.
    const WindowPlace start = m_places.startPlace("window", app.displays().monitors(), width(),
                                                  height(), {left(), top()});
    move(start.left, start.top);
    onMovedByUser = [this] {
        m_places.remember("window", m_app.displays().monitors(), {left(), top()}, width(),
                          height());
    };

    // The counts, the direction marks and the alert colours follow from the clock's whole
    // second and the launch and event definitions alone: they turn in the same round as the
    // main count, right after the second changes or anything they show has changed, and in
    // between a tick would show the same again. The intervals stay as designed.
    for (Timer* t : {&tmrCount, &tmrTPlusCount, &tmrActions})
        t->setPace(Timer::Pace::Second);
    tmrCount.onTimer = [this] { CountDown(); };
    tmrTPlusCount.onTimer = [this] { CountUp(); };
    tmrActions.onTimer = [this] { ShowAlertColors(); };
    tmrToolTips.onTimer = [this] { ShowToolTips(); };
    // The window is only ever hidden, never closed by its close button: it ends with the
    // program.
    onQueryUnload = [](bool& cancel, UnloadMode) { cancel = true; };
    // An event wizard still open would otherwise be left writing to a window that is gone.
    onUnload = [this] {
        if (Form* wizard = m_app.loadedDialog(App::Dialog::EventWizard))
            m_app.unload(*wizard);
    };
}

frmEventTimers::~frmEventTimers() = default;

void frmEventTimers::setDesignValues() {
    setCaption("Event Timers");
    mnuPopUp.setVisible(false);
    mnuScrollDown.setEnabled(false);

    for (int n = 0; n < 10; ++n) {
        lblName[n].setCaption("Event #" + std::to_string(n + 1));
        lblName[n].setBackColor(LightGrey);
        lblTime[n].setCaption("000/   00:00:00");
        lblTime[n].setBackColor(LightGreen);
        lblTag[n].setCaption("Label1");
        // The label only keeps the row's count state; it is never seen.
        lblTag[n].setVisible(false);
    }

    cmdUp.setToolTipText("Click to scroll Event Timers down");
    cmdDown.setToolTipText("Click to scroll Event Timers up");
}

void frmEventTimers::layOut() {
    // Tall enough for the menu bar and six rows; the scroll commands bring the others into
    // view. It opens below the compact main window, so the count stays in sight.
    move(6000, 2400, 5625, VisibleRowsBottom + 525);

    for (int n = 0; n < 10; ++n) {
        PictureBox& row = pctEvent[n];
        row.move(100, FirstPlaceTop + PlaceStep * n, 2865, 1035);
        row.setBorderStyle(1);

        Label& name = lblName[n];
        name.setContainer(&row);
        name.move(60, 60, 2685, 375);
        name.setFont(Font{9, true, {}});
        name.setAlignment(Align::Center);
        name.setWordWrap(false);

        Label& time = lblTime[n];
        time.setContainer(&row);
        time.move(60, 495, 2685, 435);
        time.setFont(Font{12, true, {}});
        time.setAlignment(Align::Center);
        time.setWordWrap(false);

        lblTag[n].setContainer(&row);
        lblTag[n].move(2640, 0, 120, 165);
    }

    // The arrows stand level with the first and the sixth place, the commands between them.
    button(cmdUp, "\u25B2", FirstPlaceTop, ArrowHeight);
    button(cmdSeqEvents, "Sequence &Events", 840);
    button(cmdAdd, "&Add Event", 1395);
    button(cmdRemove, "&Remove Event", 1950);
    button(cmdHide, "&Hide Controls", 2745);
    button(cmdHideScreen, "Hi&de Event Timers", 3300);
    button(cmdDown, "\u25BC", VisibleRowsBottom - ArrowHeight, ArrowHeight);
}

} // namespace orvane
