#include "app.h"
#include "clock/frmOrvane.h"

namespace orvane {

// The Help menu and the right-click Help open windows of the program's shell.
void frmOrvane::wireHelpMenu() {
    mnuCalc.onClick = [this] { m_app.StartCalculator(); };
    mnuHelpContents.onClick = [this] { m_app.ShowHelpContents(); };
    mnuRTHelp.onClick = [this] { m_app.ShowHelpContents(); };
    mnuTips.onClick = [this] { m_app.ToggleTipOfTheDay(); };
    mnuTechSupport.onClick = [this] { m_app.ShowTechSupport(); };
    mnuAbout.onClick = [this] { m_app.ShowAbout(); };
}

} // namespace orvane
