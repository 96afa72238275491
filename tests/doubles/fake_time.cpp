#include "doubles/fake_time.h"

#include "toolkit/controls.h"
#include "toolkit/quoting.h"

#include <algorithm>
#include <limits>

namespace orvane {

void FakeClock::setSystemDateTime(DateTime when, int msIntoSecond, SetAnswer answer) {
    const std::string stamp = formatDate(when, "yyyy-mm-dd hh:nn:ss");
    if (!m_refusal.empty()) {
        if (transcript)
            transcript("clock-refused " + stamp + " " + quoteText(m_refusal));
        // A copy: the answer may change what the clock refuses.
        const std::string refusal = m_refusal;
        answer(refusal);
        return;
    }
    if (transcript)
        transcript("clock-set " + stamp);
    setInstant(m_zone.toInstant(when), msIntoSecond);
    answer({});
}

FakeClock::FakeClock() : m_base(m_zone.toInstant(*DateTime::fromParts(2001, 5, 3, 10, 0, 0))) {}

void FakeClock::set(DateTime when) {
    setInstant(m_zone.toInstant(when));
}

void FakeClock::setInstant(Instant when, int msIntoSecond) {
    m_base = when;
    m_msSinceSet = msIntoSecond;
    if (onJump)
        onJump();
}

FakeScheduler::FakeScheduler(FakeClock& clock) : m_clock(clock) {
    m_clock.onJump = [this] { secondChanged(); };
}

FakeScheduler::~FakeScheduler() {
    m_clock.onJump = nullptr;
}

void FakeScheduler::add(Timer& t) {
    m_made[&t] = m_nextMade++;
    SchedulerBase::add(t);
}

void FakeScheduler::remove(Timer& t) {
    SchedulerBase::remove(t);
    m_made.erase(&t);
}

std::vector<FakeScheduler::Due>::iterator FakeScheduler::findDue(const Timer& t) {
    return std::find_if(m_due.begin(), m_due.end(), [&](const Due& d) { return d.timer == &t; });
}

void FakeScheduler::ownTimerChanged(Timer& t) {
    auto it = findDue(t);
    if (!TimerSet::isLive(t)) {
        if (it != m_due.end())
            m_due.erase(it);
        return;
    }
    const std::int64_t at = m_mono + t.interval();
    if (it != m_due.end())
        it->at = at;
    else
        m_due.push_back({&t, at, m_made[&t]});
}

void FakeScheduler::ownTimerRemoved(Timer& t) {
    if (auto it = findDue(t); it != m_due.end())
        m_due.erase(it);
}

void FakeScheduler::settle() {
    beginEvent();
    endEvent();
    m_roundWanted = false;
}

void FakeScheduler::advance(std::int64_t ms) {
    if (m_roundWanted)
        settle();
    const std::int64_t target = m_mono + ms;
    for (;;) {
        // The next turn of the program's second, which may lie a phase after the computer's.
        const std::int64_t nextFlip =
            m_mono + (1000 - ((m_clock.msIntoSecond() - m_phaseMs) % 1000 + 1000) % 1000);
        // The earliest due timer; among equals the one made first.
        Due* due = nullptr;
        for (Due& d : m_due)
            if (!due || d.at < due->at || (d.at == due->at && d.made < due->made))
                due = &d;
        const std::int64_t dueAt = due ? due->at : std::numeric_limits<std::int64_t>::max();
        const std::int64_t next = std::min(nextFlip, dueAt);
        if (next > target)
            break;
        m_clock.elapse(next - m_mono);
        m_mono = next;
        if (next == nextFlip) {
            secondChanged();
        } else {
            // The next period is set before the tick, which may change or remove the timer.
            Timer& timer = *due->timer;
            due->at = dueAt + timer.interval();
            fireTimer(timer);
        }
        if (m_roundWanted) {
            m_roundWanted = false;
            runRound();
        }
    }
    m_clock.elapse(target - m_mono);
    m_mono = target;
}

} // namespace orvane
