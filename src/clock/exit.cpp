#include "app.h"
#include "clock/frmOrvane.h"
#include "data/modOpenFile.h"
#include "data/modSaveAs.h"
#include "toolkit/controls_detail.h"

#include <map>

namespace orvane {

namespace {

// The main windows whose exit question is open, each with whether the program must end once
// it is answered. While a box waits, the clock runs on: a second way out (Esc, the close
// button, the launch window's lock) only joins the question already asked, so that the file is
// saved and said saved once.
std::map<const frmOrvane*, bool>& exitsAsked() {
    static std::map<const frmOrvane*, bool> asked;
    return asked;
}

} // namespace

// The File menu and the status bar's current file.
void frmOrvane::wireFile() {
    mnuNew.setEnabled(false); // designed without an action
    mnuOpen.onClick = [this] { OpenLaunchFile(m_app); };
    mnuSave.onClick = [this] { WriteLaunchFile(m_app, false); };
    mnuSaveAs.onClick = [this] { WriteLaunchFile(m_app, true); };
    mnuRevert.onClick = [this] { ReadLaunchFile(m_app, false); };
    sbrStatusBar.panel("pnlCurrentFile")->onDblClick = [this] {
        if (!m_following)
            ReadLaunchFile(m_app, true);
    };
}

// Every way out of the program comes here, and a save that fails keeps the program running.
// After the launch window's lock the program must end: the question offers no Cancel, and a
// save that fails asks it again, so that the user may still keep the file or leave it.
void frmOrvane::ConfirmExit(bool mustEnd) {
    // A follower keeps no launch data file, so there is nothing to ask.
    if (m_following) {
        m_app.CloseHelpWindows();
        m_app.leaveProgram();
        return;
    }
    auto& asked = exitsAsked();
    if (const auto open = asked.find(this); open != asked.end()) {
        open->second = open->second || mustEnd;
        return;
    }
    asked[this] = mustEnd;
    struct Answered {
        const frmOrvane* form;
        ~Answered() { exitsAsked().erase(form); }
    } answered{this};
    const std::string& title = m_app.info().title;
    Dialogs& dialogs = services().dialogs;
    for (;;) {
        mustEnd = asked[this];
        const Answer answer = dialogs.messageBox(
            "Do you want to save " + m_app.launchFileNames().openPath + " before exiting " + title +
                " ?",
            mustEnd ? Buttons::YesNo : Buttons::YesNoCancel, Icon::Question, title);
        // A lock that came while the question was open asks again, without Cancel.
        if (answer == Answer::Cancel) {
            if (asked[this])
                continue;
            return;
        }
        if (answer == Answer::Yes && !WriteLaunchFile(m_app, false)) {
            if (mustEnd)
                continue;
            return;
        }
        m_app.CloseHelpWindows();
        if (answer == Answer::Yes)
            dialogs.messageBox("Your file has been saved in " + m_app.launchFileNames().savePath,
                               Buttons::OK, Icon::Information, title);
        // Once the file is dealt with, the computer's clock is put right if the user wants it.
        m_app.leaveProgram();
        return;
    }
}

std::string frmOrvane::openPath() const {
    return m_app.launchFileNames().openPath;
}

std::string frmOrvane::savePath() const {
    return m_app.launchFileNames().savePath;
}

const PropertyTable& frmOrvane::properties() const {
    static constexpr Property rows[] = {
        detail::readOnly<&frmOrvane::openPath>("OpenPath"),
        detail::readOnly<&frmOrvane::savePath>("SavePath"),
    };
    static const PropertyTable table{rows, &Form::properties()};
    return table;
}

} // namespace orvane
