#include "wizard/frmRemoveEvent.h"

#include "app.h"
#include "clock/frmOrvane.h"
#include "events/frmEventTimers.h"
#include "wizard/event_panel.h"

namespace orvane {

frmRemoveEvent::frmRemoveEvent(App& app) : Form(app.services(), "frmRemoveEvent"), m_app(app) {
    setCaption(app.info().title);
    setCentered(true);
    move(0, 0, 4860, 3900);
    Label1.setCaption("Click on the Event Timer that you want to remove, then click Remove "
                      "Selected Event.");
    Label1.move(240, 120, 4275, 435);
    buildEventPanel(Frame1, optNumber, 240, 660);
    cmdRemove.setCaption("&Remove Selected Event");
    cmdRemove.setDefault(true);
    cmdRemove.move(1035, 3315, 2145, 375);
    cmdCancel.setCaption("&Cancel");
    cmdCancel.setCancel(true);
    cmdCancel.move(3375, 3315, 1140, 375);

    // The dialog shows the schedule as it stands when it opens; only assigned events can be
    // chosen, and none is chosen for the user.
    onLoad = [this] {
        frmEventTimers& board = m_app.frmEventTimers();
        ArrangeEventButtons(optNumber, board.EventData());
        copyEventNames(optNumber, board);
        for (int n = 0; n < 10; ++n) {
            if (isUnassigned(board, n))
                optNumber[n].setEnabled(false);
            optNumber[n].setValue(false);
        }
    };
    // However the dialog closes, both main windows take input again.
    onUnload = [this] {
        if (auto* board = m_app.loaded<frmEventTimers>())
            board->setEnabled(true);
        if (auto* main = m_app.loaded<frmOrvane>())
            main->setEnabled(true);
    };
    cmdRemove.onClick = [this] { removeSelected(); };
    cmdCancel.onClick = [this] { close(); };
}

void frmRemoveEvent::removeSelected() {
    const int n = selectedEvent(optNumber);
    if (n < 0) {
        services().dialogs.messageBox("You must select an Event Timer.", Buttons::OK,
                                      Icon::Exclamation, m_app.info().title);
        return;
    }
    RemoveEvent(n);
}

void frmRemoveEvent::RemoveEvent(int n) {
    const Answer a = services().dialogs.messageBox(
        "This will remove the '" + optNumber[n].caption() + "' Event Timer?", Buttons::OKCancel,
        Icon::Exclamation, m_app.info().title);
    if (a != Answer::OK)
        return;
    // Only the row is cleared: the event's times stay in the record, where they still place
    // its button and still count in the check against two events at one time.
    m_app.frmEventTimers().DefineEvent(n, "Event Unassigned ", "", 0);
    close();
}

void frmRemoveEvent::close() {
    m_app.unload(*this);
}

} // namespace orvane
