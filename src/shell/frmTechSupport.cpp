#include "shell/frmTechSupport.h"

#include "app.h"
#include "shell/info_box.h"
#include "shell/modHelp.h"

#include <string>

namespace orvane {

frmTechSupport::frmTechSupport(App& app) : Form(app.services(), "frmTechSupport"), m_app(app) {
    setCaption("Technical Support");
    setCentered(true);
    move(0, 0, 6255, 3795);

    Frame1.setCaption(app.info().title);
    Frame1.move(120, 60, 6015, 3015);
    lblSupport.setContainer(&Frame1);
    lblSupport.setCaption(
        "Help for every window of Orvane is in its help pages: choose Help Contents . . . from "
        "the Help menu, press F1 in the Event Timers window, or click Help below.\n\n"
        "Project address: " +
        projectAddressText(app.info()) +
        ". The README there tells how to build, run and test the program.\n\n"
        "To report a problem, give the version (" +
        versionText(app.info()) +
        "), what you did, what you expected and what happened instead, and attach the launch "
        "data file (.ovx) if one is involved. Report it in the project's issue tracker.");
    lblSupport.move(240, 360, 5535, 2535);
    lblSupport.setTransparent(true);

    cmdHelp.setCaption("&Help");
    cmdHelp.move(3570, 3240, 1215, 390);
    cmdHelp.onClick = [this] {
        services().help.showTopic(HelpFile(m_app.info()), SupportHelpTopic);
    };
    cmdOK.move(4920, 3240, 1215, 390);
    closeWithOkOrEsc(app, *this, cmdOK);
}

} // namespace orvane
