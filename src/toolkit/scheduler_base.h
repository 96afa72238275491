#pragma once

#include "services/services.h"
#include "toolkit/timer_set.h"

#include <functional>
#include <vector>

namespace orvane {

// What the real and the fake scheduler share: the rounds, the deferred tasks and the nesting
// of events (a message box inside a tick runs events of its own).
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

    // Whether every timer runs on its own at its interval, those of the rounds included, with
    // no round after events: the intervals read literally. It costs hundreds of wake-ups a
    // second and exists only so that the benchmark can measure the policy against it.
    bool literal() const { return m_literal; }

  protected:
    // One tick of a timer that runs on its own, handled as an event of its own; a round
    // follows it.
    void fireTimer(Timer& t);
    // The clock's whole second changed, or the clock was set: a round runs.
    void secondChanged();
    // A timer of the rounds has become live outside a round: the subclass arranges one soon.
    virtual void roundWanted() = 0;
    // Called for timers that run on their own when they are added, changed or removed.
    virtual void ownTimerChanged(Timer& t) = 0;
    virtual void ownTimerRemoved(Timer& t) = 0;
    // Runs a round now, as one event.
    void runRound();
    // The timers of a round have run, and the round's listeners and the tasks it posted are
    // still to come.
    virtual void timersRan() {}
    // Whether this scheduler runs the timer in rounds rather than on its own.
    bool inRounds(const Timer& t) const { return !m_literal && TimerSet::inRounds(t); }
    void setLiteral(bool on) { m_literal = on; }

    TimerSet m_timers;

  private:
    void endEventWith(bool round);
    int m_depth = 0;
    bool m_literal = false;
    std::vector<std::function<void()>> m_posted;
};

} // namespace orvane
