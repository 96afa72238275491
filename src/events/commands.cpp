#include "app.h"
#include "events/frmEventTimers.h"

#include <initializer_list>

namespace orvane {

void frmEventTimers::wireCommands() {
    cmdSeqEvents.onClick = [this] { SequenceEvents(); };
    mnuEditSeq.onClick = [this] { SequenceEvents(); };
    cmdDown.onClick = [this] { ScrollRowsUp(); };
    mnuScrollUp.onClick = [this] { ScrollRowsUp(); };
    cmdUp.onClick = [this] { ScrollRowsDown(); };
    mnuScrollDown.onClick = [this] { ScrollRowsDown(); };
    cmdHide.onClick = [this] { HideControls(); };
    mnuFileShowCtrls.onClick = [this] { ToggleControls(); };
    mnuRtShow.onClick = [this] { ToggleControls(); };
    cmdHideScreen.onClick = [this] { ToggleEventTimers(); };
    mnuFileHide.onClick = [this] { ToggleEventTimers(); };
    mnuRTHideEvents.onClick = [this] { ToggleEventTimers(); };
    mnuEditRemoveAll.onClick = [this] { RemoveAllEvents(); };
    cmdAdd.onClick = [this] { AddEvent(true); };
    mnuFileAdd.onClick = [this] { AddEvent(false); };
    cmdRemove.onClick = [this] { RemoveEvent(); };
    mnuEditRemove.onClick = [this] { RemoveEvent(); };
    mnuHelpHelp.onClick = [this] { ShowHelp(); };
    mnuRTHelp.onClick = [this] { ShowHelp(); };

    auto popUp = [this](MouseButton b) { PopUpRightClickMenu(b); };
    onMouseUp = popUp;
    for (int n = 0; n < 10; ++n) {
        pctEvent[n].onMouseUp = popUp;
        lblName[n].onMouseUp = popUp;
        lblTime[n].onMouseUp = popUp;
    }
    for (CommandButton* b :
         {&cmdAdd, &cmdRemove, &cmdSeqEvents, &cmdHide, &cmdHideScreen, &cmdUp, &cmdDown})
        b->onMouseUp = popUp;
}

// The narrow window shows the rows only; its right edge stays almost where the wide
// window's was.
void frmEventTimers::HideControls() {
    m_controlsHidden = true;
    setWidth(3255);
    setLeft(8310);
    mnuFileShowCtrls.setCaption("&Show Controls");
    mnuRtShow.setCaption("Show Controls");
}

void frmEventTimers::ToggleControls() {
    if (!m_controlsHidden) {
        HideControls();
        return;
    }
    m_controlsHidden = false;
    setWidth(5625);
    setLeft(6000);
    mnuFileShowCtrls.setCaption("&Hide Controls");
    mnuRtShow.setCaption("Hide Controls");
}

// Only the rows are reset: the record keeps its values until an event is defined again, and
// with no direction mark each row's moment is the launch time itself.
void frmEventTimers::RemoveAllEvents() {
    const Answer answer =
        services().dialogs.messageBox("This will permanantly remove all of your Event Timers.",
                                      Buttons::OKCancel, Icon::Exclamation, m_app.info().title);
    if (answer != Answer::OK)
        return;
    for (int n = 0; n < 10; ++n)
        DefineEvent(n, "Event Unassigned", "", 0);
}

void frmEventTimers::ToggleEventTimers() {
    m_app.ToggleEventTimers();
}

// While the board is hidden only the count up runs, so rows whose moment passes meanwhile are
// counting when the board comes back; the count down and the alert colors wait for it to be
// seen.
void frmEventTimers::setShown(bool shown) {
    m_shown = shown;
    setVisible(shown);
    tmrCount.setEnabled(shown);
    tmrActions.setEnabled(shown);
    if (!shown)
        return;
    // Rows removed by Remove All stay hidden until an event is defined on them.
    m_board.showAssignedRows();
    render();
}

// A hidden board's rows still ahead wait to be seen: it counts down only while shown.
void frmEventTimers::setCountDownHeld(bool held) {
    tmrCount.setEnabled(!held && m_shown);
}

// The wizard's first page enables this window again when the wizard ends.
void frmEventTimers::AddEvent(bool disableThisWindow) {
    Form* wizard = m_app.dialog(App::Dialog::EventWizard);
    if (!wizard)
        return;
    wizard->show();
    if (disableThisWindow)
        setEnabled(false);
}

void frmEventTimers::RemoveEvent() {
    if (Form* dialog = m_app.dialog(App::Dialog::RemoveEvent))
        dialog->show();
}

void frmEventTimers::ShowHelp() {
    m_app.ShowHelpContents();
}

void frmEventTimers::PopUpRightClickMenu(MouseButton button) {
    if (button == MouseButton::Right)
        popupMenu(mnuPopUp);
}

void frmEventTimers::setFollowing() {
    for (Control* c : std::initializer_list<Control*>{&cmdAdd, &cmdRemove, &mnuFileAdd,
                                                      &mnuEditRemove, &mnuEditRemoveAll})
        c->setEnabled(false);
}

} // namespace orvane
