#include "platform/fake/fake_time.h"

#include "platform/controls.h"

#include <limits>

namespace orvane {

std::string FakeClock::setSystemDateTime(DateTime when) {
    std::string stamp = formatDate(when, "yyyy-mm-dd hh:nn:ss");
    if (!m_refusal.empty()) {
        if (transcript)
            transcript("clock-refused " + stamp + " " + quoteText(m_refusal));
        return m_refusal;
    }
    if (transcript)
        transcript("clock-set " + stamp);
    set(when);
    return {};
}

void FakeClock::set(DateTime when) {
    m_base = when;
    m_msSinceSet = 0;
    if (onJump)
        onJump();
}

FakeScheduler::FakeScheduler(FakeClock& clock) : m_clock(clock) {
    m_clock.onJump = [this] { secondChanged(); };
}

FakeScheduler::~FakeScheduler() {
    m_clock.onJump = nullptr;
}

void FakeScheduler::slowTimerChanged(Timer& t) {
    if (TimerSet::isLive(t))
        m_due[&t] = m_mono + t.interval();
    else
        m_due.erase(&t);
}

void FakeScheduler::settle() {
    beginEvent();
    endEvent();
    m_fastWanted = false;
}

void FakeScheduler::advance(std::int64_t ms) {
    if (m_fastWanted)
        settle();
    const std::int64_t target = m_mono + ms;
    for (;;) {
        const std::int64_t nextFlip = m_mono + (1000 - m_clock.msIntoSecond());
        // The earliest due timer; among equals the one made first.
        Timer* due = nullptr;
        std::int64_t dueAt = std::numeric_limits<std::int64_t>::max();
        m_timers.forEach([&](Timer& t) {
            auto it = m_due.find(&t);
            if (it != m_due.end() && it->second < dueAt) {
                dueAt = it->second;
                due = &t;
            }
        });
        const std::int64_t next = std::min(nextFlip, dueAt);
        if (next > target)
            break;
        m_clock.elapse(next - m_mono);
        m_mono = next;
        if (next == nextFlip) {
            secondChanged();
        } else {
            m_due[due] = dueAt + due->interval();
            fireTimer(*due);
        }
        if (m_fastWanted) {
            m_fastWanted = false;
            runFastRound();
        }
    }
    m_clock.elapse(target - m_mono);
    m_mono = target;
}

} // namespace orvane
