// The Help menu's commands, carried out by the shell's windows for the main window.

#include "app.h"
#include "shell/frmAbout.h"
#include "shell/frmTechSupport.h"
#include "shell/frmTips.h"
#include "shell/modHelp.h"

namespace orvane {

void App::StartCalculator() {
    m_services.process.startProgram(CalculatorProgram);
}

void App::ShowHelpContents() {
    m_services.help.showTopic(HelpFile(info()), MainHelpTopic);
}

void App::CloseHelpWindows() {
    m_services.help.closeAll(HelpFile(info()));
}

void App::ToggleTipOfTheDay() {
    orvane::ToggleTipOfTheDay(*this);
}

void App::ShowTechSupport() {
    form<frmTechSupport>().show();
}

void App::ShowAbout() {
    form<frmAbout>().show();
}

} // namespace orvane
