#pragma once

// The Manual Sim Time Wizard's last entries. They outlive the wizard's pages: the pages show
// them when they open and Enter keeps what was entered, and the launch data file reads and
// writes them without opening the pages (opening the first page disables both main windows).

#include <string>

namespace orvane {

struct SimWizardEntries {
    bool tMinus = true; // frmWizardPlusMinus.optTMinus
    int vsbSecondsSim = 0;
    int vsbMinutesSim = 0;
    int vsbHoursSim = 0;
    int vsbDaysSim = 0;
    std::string txtSecondsSim = "00";
    std::string txtMinutesSim = "00";
    std::string txtHoursSim = "00";
    std::string txtDaysSim = "000";
};

} // namespace orvane
