#include "toolkit/timer_set.h"

#include "services/services.h"

#include <algorithm>

namespace orvane {

void TimerSet::add(Timer& t) {
    m_timers.push_back(&t);
    touched();
}

void TimerSet::remove(Timer& t) {
    auto it = std::find(m_timers.begin(), m_timers.end(), &t);
    if (it == m_timers.end())
        return;
    // A round may be walking the list: leave a hole and close it afterwards.
    *it = nullptr;
    m_holes = true;
    if (m_rounds == 0)
        compact();
}

bool TimerSet::inRounds(const Timer& t) {
    return Scheduler::isFast(t.interval()) || t.pace() == Timer::Pace::Second;
}

void TimerSet::runRound() {
    // Indexed rather than held by reference: a round nested in a tick may add a list.
    const auto depth = std::size_t(m_rounds++);
    if (m_ran.size() <= depth)
        m_ran.resize(depth + 1);
    m_ran[depth].clear();
    for (;;) {
        const std::uint64_t generation = m_generation;
        bool fired = false;
        // By index: a tick may make timers, which are added at the end.
        for (std::size_t i = 0; i < m_timers.size(); ++i) {
            Timer* t = m_timers[i];
            if (!t || !inRounds(*t) || !isLive(*t) || t->ticking())
                continue;
            auto& ran = m_ran[depth];
            if (std::find(ran.begin(), ran.end(), t) != ran.end())
                continue;
            ran.push_back(t);
            t->fire();
            fired = true;
        }
        // A timer that a tick of this round enabled or made runs in the same round; when no
        // tick changed a timer, another pass would find nothing to run.
        if (!fired || generation == m_generation)
            break;
    }
    if (--m_rounds == 0)
        compact();
}

bool TimerSet::anyLiveInRounds() const {
    return std::any_of(m_timers.begin(), m_timers.end(),
                       [](const Timer* t) { return t && inRounds(*t) && isLive(*t); });
}

void TimerSet::compact() {
    if (!m_holes)
        return;
    std::erase(m_timers, nullptr);
    m_holes = false;
}

} // namespace orvane
