#include "app.h"
#include "clock/frmOrvane.h"

#include <chrono>
#include <utility>

namespace orvane {

using namespace std::chrono_literals;

void frmOrvane::wireSimTime() {
    const std::pair<MenuItem*, std::chrono::seconds> presets[] = {
        {&mnuTminus45, -45min}, {&mnuTminus30, -30min}, {&mnuTminus20, -20min},
        {&mnuTminus10, -10min}, {&mnuTminus8, -8min},   {&mnuTminus6, -6min},
        {&mnuTminus4, -4min},   {&mnuTminus2, -2min},   {&mnuTminus30Sec, -30s},
        {&mnuTplus5, 5min}};
    for (const auto& [menu, offset] : presets)
        menu->onClick = [this, offset] { m_app.ApplySimOffset(offset); };
    mnuRestoreTime.onClick = [this] { m_app.RestoreSystemTime(); };
    mnuManualSet.onClick = [this] { m_app.ShowManualSimTimeWizard(); };
    tmrRevert.onTimer = [this] { AdvanceRevertTime(); };
}

void frmOrvane::showTrueTimeRemembered(DateTime trueTime) {
    lblRevertTime.setTag("Chk");
    m_revertShown = trueTime;
    lblRevertTime.setCaption(formatDate(trueTime, "General Date"));
    tmrRevert.setEnabled(true);
}

// The timer keeps running: the next simulated time writes the caption afresh.
void frmOrvane::showTrueTimeForgotten() {
    lblRevertTime.setTag("");
}

// The caption runs on in whole minutes. A restore does not use it: it puts back the time
// taken plus the exact time elapsed since.
void frmOrvane::AdvanceRevertTime() {
    if (m_revertShown) {
        m_revertShown = m_revertShown->addSeconds(60);
        lblRevertTime.setCaption(formatDate(*m_revertShown, "General Date"));
    }
}

} // namespace orvane
