#include "platform/scheduler_base.h"

#include "platform/controls.h"

namespace orvane {

void SchedulerBase::add(Timer& t) {
    m_timers.add(t);
    changed(t);
}

void SchedulerBase::remove(Timer& t) {
    m_timers.remove(t);
    slowTimerRemoved(t);
}

void SchedulerBase::changed(Timer& t) {
    m_timers.touched();
    if (inFastRounds(t)) {
        // A timer that turned fast may have had a period running as a slow one.
        slowTimerRemoved(t);
        if (TimerSet::isLive(t))
            fastRoundWanted();
    } else {
        slowTimerChanged(t);
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

void SchedulerBase::endEventWith(bool fastRound) {
    --m_depth;
    if (fastRound)
        runFastRound();
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
    endEventWith(!m_literal && !TimerSet::isFast(t));
}

void SchedulerBase::secondChanged() {
    if (!m_literal)
        runFastRound();
}

void SchedulerBase::runFastRound() {
    ++m_depth;
    m_timers.runFastRound();
    endEventWith(false);
}

} // namespace orvane
