#include "app.h"
#include "clock/frmOrvane.h"

namespace orvane {

void frmOrvane::wireEntry() {
    cmdAccess.onClick = [this] { ToggleScreenSize(); };
    mnuRtAccess.onClick = [this] { ToggleScreenSize(); };
    mnuCompactScreen.onClick = [this] { ToggleScreenSize(); };
    mnuRtCompactScreen.onClick = [this] { ToggleScreenSize(); };
    onDblClick = [this] { ToggleScreenSize(); };
}

void frmOrvane::SetLaunchTime() {}

std::string frmOrvane::ReadLaunchEntry(std::string&, int&, int&, int&) {
    return {};
}

void frmOrvane::EnableSetLaunchTime() {
    cmdSet.setEnabled(true);
    mnuSetLaunchTime.setEnabled(true);
}

void frmOrvane::DisableSetLaunchTime() {
    cmdSet.setEnabled(false);
    mnuSetLaunchTime.setEnabled(false);
}

void frmOrvane::ToggleScreenSize() {
    if (cmdAccess.caption() == "&Access Launch Data")
        ShowFullScreen();
    else
        ShowCompactScreen();
}

void frmOrvane::ShowCompactScreen() {
    cmdAccess.setCaption("&Access Launch Data");
    mnuCompactScreen.setEnabled(false);
    mnuRtCompactScreen.setEnabled(false);
    mnuRtAccess.setEnabled(true);
    setHeight(1630);
    setWidth(4350);
    setLeft(7350);
    for (MenuItem* menu : {&mnuFile, &mnuSettings, &mnuHelp, &mnuSimTime})
        menu->setVisible(false);
    sbrStatusBar.setVisible(false);
}

void frmOrvane::ShowFullScreen() {
    cmdAccess.setCaption("Com&pact Screen");
    mnuCompactScreen.setEnabled(true);
    mnuRtCompactScreen.setEnabled(true);
    mnuRtAccess.setEnabled(false);
    setHeight(6855);
    setWidth(10155);
    setLeft(750);
    tmrCurrentDateTime.setEnabled(true);
    for (MenuItem* menu : {&mnuFile, &mnuSettings, &mnuHelp, &mnuSimTime})
        menu->setVisible(true);
    sbrStatusBar.setVisible(true);
}

} // namespace orvane
