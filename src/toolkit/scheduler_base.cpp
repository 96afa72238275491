#include "toolkit/scheduler_base.h"

#include "toolkit/controls.h"

namespace orvane {

void SchedulerBase::add(Timer& t) {
    m_timers.add(t);
    changed(t);
}

void SchedulerBase::remove(Timer& t) {
    m_timers.remove(t);
    ownTimerRemoved(t);
}

void SchedulerBase::changed(Timer& t) {
    m_timers.touched();
    if (inRounds(t)) {
        // A timer that has just joined the rounds may have had a period running on its own.
        ownTimerRemoved(t);
        if (TimerSet::isLive(t))
            roundWanted();
    } else {
        ownTimerChanged(t);
    }
}

void SchedulerBase::post(std::function<void()> task) {
    m_posted.push_back(std::move(task));
}

void SchedulerBase::beginEvent() {
    ++m_depth;
}

void SchedulerBase::endEvent() {
    endEventWith(!m_literal);
}

void SchedulerBase::endEventWith(bool round) {
    --m_depth;
    if (round)
        runRound();
    if (m_depth == 0) {
        // Tasks may post tasks; run them until none is left.
        while (!m_posted.empty()) {
            auto tasks = std::move(m_posted);
            m_posted.clear();
            for (auto& task : tasks)
                task();
        }
    }
}

void SchedulerBase::fireTimer(Timer& t) {
    beginEvent();
    t.fire();
    endEventWith(!m_literal && !inRounds(t));
}

void SchedulerBase::secondChanged() {
    if (!m_literal)
        runRound();
}

void SchedulerBase::runRound() {
    ++m_depth;
    m_timers.runRound();
    timersRan();
    if (onRoundDone)
        onRoundDone();
    endEventWith(false);
}

} // namespace orvane
