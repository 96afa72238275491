#include "app.h"
#include "events/frmEventTimers.h"
#include "events/modSecondsToTime.h"
#include "toolkit/timer_set.h"

#include <algorithm>
#include <iterator>
#include <memory>
#include <utility>

namespace orvane {

Instant frmEventTimers::GetLaunchTime() const {
    return m_app.launchMoment();
}

// The count up captures the moment again at its next tick.
void frmEventTimers::RestartCount(int n) {
    m_board.setPhase(n, RowPhase::Fresh);
}

Instant frmEventTimers::countMoment(int n, Instant launch, Instant now) const {
    return m_board.countMoment(n, launch, now, services().clock.zone());
}

frmEventTimers::Row frmEventTimers::row(int n, Parts parts) const {
    const BoardRow& b = m_board.row(n);
    Row r;
    r.defined = b.defined;
    r.direction = b.countDirection();
    r.offsetSeconds = b.offsetSeconds;
    r.name = b.name;
    const Instant now = services().clock.instant();
    const Instant launch = GetLaunchTime();
    r.moment = countMoment(n, launch, now);
    r.phase = b.phase;
    if (parts == Parts::WithoutShown)
        return r;
    r.text = countText(b);
    r.alert = m_board.alertLevel(n, launch, now);
    return r;
}

void frmEventTimers::raiseRow(Happening::Kind kind, int n) {
    Happening h = m_app.happening(kind);
    const BoardRow& r = m_board.row(n);
    h.event = HappeningEvent{n + 1, r.name, r.signedOffset()};
    m_app.raise(h);
}

// The launch time and the present are read once a tick, since nothing the tick does moves
// them.
void frmEventTimers::CountDown() {
    m_board.countDown(GetLaunchTime(), services().clock.instant());
    renderAfterTicks(tmrCount);
}

void frmEventTimers::CountUp() {
    m_board.countUp(GetLaunchTime(), services().clock.instant(), services().clock.zone(),
                    [this](int n) { raiseRow(Happening::Kind::EventPassed, n); });
    renderAfterTicks(tmrTPlusCount);
}

void frmEventTimers::ShowAlertColors() {
    m_board.showAlerts(GetLaunchTime(), services().clock.instant());
    renderAfterTicks(tmrActions);
}

// The three timers tick one after the other in a round, in the order they were made: the last
// of them that ticks shows the board, first in the round as the board's rows always were. A
// render still due when the round is over (a timer that did not tick after all) comes then.
void frmEventTimers::renderAfterTicks(const Timer& ticked) {
    const Timer* const order[] = {&tmrCount, &tmrTPlusCount, &tmrActions};
    bool laterTicks = false;
    for (auto it = std::find(std::begin(order), std::end(order), &ticked) + 1; it < std::end(order);
         ++it)
        laterTicks = laterTicks || TimerSet::isLive(**it);
    if (!laterTicks) {
        m_renderDue = false;
        render();
        return;
    }
    if (std::exchange(m_renderDue, true))
        return;
    services().scheduler.post([this, alive = std::weak_ptr<bool>(m_alive)] {
        if (alive.expired() || !m_renderDue)
            return;
        m_renderDue = false;
        render();
    });
}

// The tooltips show each event's definition, not the time left, so they need refreshing only
// when an event is defined; whoever defines one turns the timer on again, and the short
// interval then refreshes them at once.
void frmEventTimers::ShowToolTips() {
    for (int n = 0; n < 10; ++n) {
        const BoardRow& r = m_board.row(n);
        const std::string text = EventDefinitionText(r.offsetSeconds, r.sign());
        pctEvent[n].setToolTipText(text);
        lblName[n].setToolTipText(text);
        lblTime[n].setToolTipText(text);
    }
    tmrToolTips.setEnabled(false);
    tmrToolTips.setInterval(1);
}

} // namespace orvane
