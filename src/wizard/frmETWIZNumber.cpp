#include "wizard/frmETWIZNumber.h"

#include "app.h"
#include "events/frmEventTimers.h"
#include "wizard/event_panel.h"
#include "wizard/frmETWIZLabel.h"

namespace orvane {

frmETWIZNumber::frmETWIZNumber(App& app) : WizardPage(app, "frmETWIZNumber") {
    move(0, 0, 4860, 3900);
    Label1.setCaption("Select the Event Timer Number that you want to set, then click Next.");
    Label1.move(240, 120, 4275, 435);
    buildEventPanel(Frame1, optNumber, 240, 660);
    cmdNext.setCaption("&Next");
    cmdNext.setDefault(true);
    cmdNext.move(2040, 3315, 1140, 375);
    cmdCancel.setCaption("&Cancel");
    cmdCancel.setCancel(true);
    cmdCancel.move(3375, 3315, 1140, 375);

    // The page opens on the present schedule: buttons in time order, named as the rows are,
    // with the first free event already chosen.
    onLoad = [this] {
        frmEventTimers& board = m_app.frmEventTimers();
        ArrangeEventButtons(optNumber, board.EventData());
        copyEventNames(optNumber, board);
        for (int n = 0; n < 10; ++n) {
            if (isUnassigned(board, n)) {
                optNumber[n].setValue(true);
                break;
            }
        }
    };
    cmdNext.onClick = [this] { next(); };
    cmdCancel.onClick = [this] { endWizard(); };
}

void frmETWIZNumber::next() {
    const int n = selectedEvent(optNumber);
    if (n < 0) {
        warn("You must select an Event Timer.");
        return;
    }
    // Nothing is erased yet: the event's data is replaced only when the last page succeeds.
    const Answer a = services().dialogs.messageBox(
        "This will erase any data in the '" + optNumber[n].caption() + "' Event Timer.",
        Buttons::OKCancel, Icon::Exclamation, m_app.info().title);
    if (a == Answer::OK)
        goTo(m_app.form<frmETWIZLabel>());
}

} // namespace orvane
