#pragma once

#include "toolkit/controls.h"

#include <cstdint>
#include <vector>

namespace orvane {

// The timers a scheduler runs, and the policy both schedulers share: a timer that runs in
// rounds ticks once in each round, and a round follows every change of the clock's second and
// every other event or tick.
class TimerSet {
  public:
    void add(Timer& t);
    void remove(Timer& t);
    // A timer's Enabled, Interval or tick handler changed. A round running now looks at the
    // timers again only after such a change, since nothing else can make one ready to run.
    void touched() { ++m_generation; }

    // Fast timers (see Scheduler) and timers paced by the second run in rounds rather than on
    // their own: what they show cannot change between rounds.
    static bool inRounds(const Timer& t);
    // Whether a timer needs ticks at all: enabled and with something to do.
    static bool isLive(const Timer& t) {
        return t.enabled() && t.interval() > 0 && bool(t.onTimer);
    }

    // Runs every live timer of the rounds once, in the order the timers were made, so a
    // window's timers hand over to each other within the one round in their designed order.
    // A timer that another tick of the round enables runs in the same round. A timer still
    // busy with its previous tick (under a message box) is skipped.
    void runRound();
    bool anyLiveInRounds() const;

    // Timers in the order they were made (removed ones are skipped).
    template <class F> void forEach(F&& f) const {
        for (Timer* t : m_timers)
            if (t)
                f(*t);
    }

  private:
    void compact();
    std::vector<Timer*> m_timers;
    int m_rounds = 0; // nesting depth of rounds running now
    bool m_holes = false;
    std::uint64_t m_generation = 0;
    // The timers that ran in each round now running, by nesting depth. A round runs after
    // every tick and event, so the lists are kept rather than made anew each time.
    std::vector<std::vector<const Timer*>> m_ran;
};

} // namespace orvane
