// What the main window's Sim Time menu and its exit path ask of the simulated mission time.

#include "app.h"
#include "simtime/frmWizardPlusMinus.h"
#include "simtime/sim_clock.h"

namespace orvane {

SimClock& App::simClock() {
    if (!m_simClock)
        m_simClock = std::make_unique<SimClock>(*this);
    return *m_simClock;
}

void App::ApplySimOffset(std::chrono::seconds offset) {
    SimClock& sim = simClock();
    if (sim.confirmChange())
        sim.moveTo(offset.count());
}

void App::RestoreSystemTime() {
    simClock().restore();
}

void App::ShowManualSimTimeWizard() {
    form<frmWizardPlusMinus>().show();
}

std::optional<DateTime> App::trueTimeWhileSimulated() const {
    return m_simClock ? m_simClock->trueTimeWhileOwnClock() : std::nullopt;
}

std::int64_t App::trueTimeMs() const {
    if (m_simClock)
        if (const auto remembered = m_simClock->trueTimeMsWhileComputerMoved())
            return *remembered;
    return m_ownClock.computer().unixMs();
}

void App::leaveProgram() {
    simClock().leaveProgram();
}

} // namespace orvane
