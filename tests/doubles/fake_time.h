#pragma once

#include "toolkit/scheduler_base.h"
#include "services/services.h"

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

namespace orvane {

// A clock that moves only when told to. It runs in real instants, in a time zone of its own
// (UTC unless told otherwise). Its whole second changes each time 1000 ms have passed since
// it was last set.
class FakeClock : public Clock {
  public:
    FakeClock();

    Instant instant() const override { return m_base.addSeconds(m_msSinceSet / 1000); }
    std::int64_t unixMs() const override { return m_base.unixSeconds() * 1000 + m_msSinceSet; }
    TimeZone zone() const override { return m_zone; }
    std::int64_t monotonicMs() const override { return m_monotonicMs; }
    // Answers at once: the clock is set, or the refusal comes back.
    void setSystemDateTime(DateTime when, int msIntoSecond, SetAnswer answer) override;

    // The wall clock jumps to the very start of this local second; a wall time that happens
    // twice means its first occurrence.
    void set(DateTime when);
    void setInstant(Instant when, int msIntoSecond = 0);
    // The computer's time zone changes; the real time goes on as it was.
    void setZone(TimeZone zone) { m_zone = zone; }
    // From now on the program's attempts to set the clock are refused with this reason.
    void refuseChanges(std::string reason) { m_refusal = std::move(reason); }

    std::int64_t msIntoSecond() const { return m_msSinceSet % 1000; }
    void elapse(std::int64_t ms) {
        m_msSinceSet += ms;
        m_monotonicMs += ms;
    }

    std::function<void()> onJump;
    std::function<void(const std::string&)> transcript;

  private:
    TimeZone m_zone = TimeZone::utc();
    Instant m_base;
    std::int64_t m_msSinceSet = 0;
    std::int64_t m_monotonicMs = 0;
    std::string m_refusal;
};

// Virtual time: advance() fires, in order, every tick due up to and including the new
// moment, with the same rounds as the real scheduler.
class FakeScheduler : public SchedulerBase {
  public:
    explicit FakeScheduler(FakeClock& clock);
    ~FakeScheduler() override;

    void add(Timer& t) override;
    void remove(Timer& t) override;

    void advance(std::int64_t ms);
    void setSecondPhase(int phaseMs) override { m_phaseMs = phaseMs; }
    // Runs what is pending (posted tasks, a wanted round) without letting time pass.
    void settle();
    std::int64_t elapsedMs() const { return m_mono; }

  protected:
    void roundWanted() override { m_roundWanted = true; }
    void ownTimerChanged(Timer& t) override;
    void ownTimerRemoved(Timer& t) override;

  private:
    // The next tick of a timer that runs on its own. Among timers due at the same moment the one
    // made first ticks first, so each carries the order of its making.
    struct Due {
        Timer* timer;
        std::int64_t at;
        std::uint64_t made;
    };
    std::vector<Due>::iterator findDue(const Timer& t);

    FakeClock& m_clock;
    std::int64_t m_mono = 0;
    // Only the live timers that run on their own: a handful, searched in a line.
    std::vector<Due> m_due;
    std::unordered_map<const Timer*, std::uint64_t> m_made;
    std::uint64_t m_nextMade = 0;
    bool m_roundWanted = false;
    int m_phaseMs = 0;
};

} // namespace orvane
