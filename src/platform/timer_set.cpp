#include "platform/timer_set.h"

#include "platform/services.h"

#include <algorithm>

namespace orvane {

void TimerSet::add(Timer& t) {
    m_timers.push_back(&t);
}

void TimerSet::remove(Timer& t) {
    auto it = std::find(m_timers.begin(), m_timers.end(), &t);
    if (it == m_timers.end())
        return;
    // A round may be walking the list: leave a hole and close it afterwards.
    *it = nullptr;
    if (m_rounds == 0)
        compact();
}

bool TimerSet::isFast(const Timer& t) {
    return Scheduler::isFast(t.interval());
}

void TimerSet::runFastRound() {
    ++m_rounds;
    std::vector<const Timer*> ran;
    for (bool progressed = true; progressed;) {
        progressed = false;
        for (std::size_t i = 0; i < m_timers.size(); ++i) {
            Timer* t = m_timers[i];
            if (!t || !isFast(*t) || !isLive(*t) || t->ticking() ||
                std::find(ran.begin(), ran.end(), t) != ran.end())
                continue;
            ran.push_back(t);
            t->fire();
            progressed = true;
        }
    }
    if (--m_rounds == 0)
        compact();
}

bool TimerSet::anyLiveFast() const {
    return std::any_of(m_timers.begin(), m_timers.end(),
                       [](const Timer* t) { return t && isFast(*t) && isLive(*t); });
}

void TimerSet::compact() {
    std::erase(m_timers, nullptr);
}

} // namespace orvane
