#pragma once

// Simulated mission time: the presets and the manual wizard make the clock show a chosen
// offset from the launch time, and Restore System Time puts the true time back.
//
// The computer's clock is moved when it may be. When the platform refuses, the user may
// have the program keep a clock of its own at that offset instead (and --own-clock asks for
// that from the start), so that nothing outside the program changes. The true time is
// remembered with a reading of the monotonic clock, both to the millisecond, so that a restore
// puts back the true time to the second however long the simulation ran.

#include "happenings.h"
#include "dates/datetime.h"
#include "dates/zone.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace orvane {

class App;
class OwnClock;

class SimClock {
  public:
    explicit SimClock(App& app);

    // Asks whether the computer's clock may change; true without asking when the program's
    // own clock is the one that moves.
    bool confirmChange();
    // Makes the clock show OFFSET seconds from the launch time (negative: before it). The
    // computer's clock answers later; what follows its answer runs then.
    void moveTo(std::int64_t offset);
    // Puts the true time back. Nothing happens when no true time is remembered.
    void restore();
    // Ends the program, first offering to restore the computer's clock if it still shows a
    // simulated time; then the program ends once that restore is answered.
    void leaveProgram();

    // Whether a simulated time moves the program's own clock rather than the computer's.
    bool ownClockMoves() const { return m_ownClockAlways || m_ownClockInstead; }
    // The true time while the program's own clock runs off it.
    std::optional<DateTime> trueTimeWhileOwnClock() const;
    // The true time in Unix milliseconds while a simulated time has moved the computer's clock.
    std::optional<std::int64_t> trueTimeMsWhileComputerMoved() const {
        return m_computerMoved && m_trueTime ? std::optional<std::int64_t>(trueTimeNowMs())
                                             : std::nullopt;
    }

  private:
    // A reading of the true time: the computer's clock and the monotonic clock together.
    struct Reading {
        std::int64_t unixMs;
        std::int64_t monotonicMs;
    };
    Reading readTrueTime() const;
    // The remembered true time as it is now, to the millisecond.
    std::int64_t trueTimeNowMs() const;

    void askComputer(std::int64_t targetMs, std::function<void(const std::string&)> then);
    void computerAnswered(Reading before, Instant target, const std::string& refusal);
    void runOwnClockAt(Instant target);
    void setOwnOffset(std::optional<std::int64_t> offsetMs);
    void remember(Reading reading);
    void forget();
    void restoreComputerClock(std::function<void()> then);
    // Tells the App's listeners that the clock was set from BEFORE to what it reads now.
    void tellClockSet(Happening::Kind kind, Instant before);
    void tellRefused(const std::string& refusal, bool offerOwnClock, bool& ownClock);
    // The platform's words for a refused change, said plainly where they are known.
    static std::string plainRefusal(const std::string& refusal);

    App& m_app;
    OwnClock& m_clock;
    // --own-clock: the computer's clock is never changed.
    bool m_ownClockAlways = false;
    // The user chose the program's own clock after a refusal, until the next restore.
    bool m_ownClockInstead = false;
    bool m_computerMoved = false;
    // A change of the computer's clock waits for its answer; another one is not started.
    bool m_waiting = false;
    std::optional<Reading> m_trueTime;
};

} // namespace orvane
