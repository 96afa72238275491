#pragma once

#include "platform/services.h"
#include "platform/timer_set.h"

#include <functional>
#include <vector>

namespace orvane {

// What the real and the fake scheduler share: the fast-timer policy, the deferred tasks and
// the nesting of events (a message box inside a tick runs events of its own).
class SchedulerBase : public Scheduler {
  public:
    void add(Timer& t) override;
    void remove(Timer& t) override;
    void changed(Timer& t) override;
    void post(std::function<void()> task) override;
    void beginEvent() override;
    void endEvent() override;

    // True when no event is being handled.
    bool idle() const { return m_depth == 0; }

    // Whether every timer runs on its own at its interval, fast ones included, with no fast
    // round after events: the intervals read literally. It costs hundreds of wake-ups a second
    // and exists only so that the benchmark can measure the policy against it.
    bool literal() const { return m_literal; }

  protected:
    // One tick of a timer, handled as an event of its own. After a tick of a timer that is
    // not fast, the fast timers run.
    void fireTimer(Timer& t);
    // The clock's whole second changed, or the clock was set: the fast timers run.
    void secondChanged();
    // A fast timer has become live outside a round: the subclass arranges a round soon.
    virtual void fastRoundWanted() = 0;
    // Called for timers that are not fast when they are added, changed or removed.
    virtual void slowTimerChanged(Timer& t) = 0;
    virtual void slowTimerRemoved(Timer& t) = 0;
    // Runs the fast timers now, as one event.
    void runFastRound();
    // Whether this scheduler runs the timer in fast rounds rather than on its own.
    bool inFastRounds(const Timer& t) const { return !m_literal && TimerSet::isFast(t); }
    void setLiteral(bool on) { m_literal = on; }

    TimerSet m_timers;

  private:
    void endEventWith(bool fastRound);
    int m_depth = 0;
    bool m_literal = false;
    std::vector<std::function<void()>> m_posted;
};

} // namespace orvane
