#pragma once

// The countdown plan: the built-in holds at which the T count stops by itself, and the rules
// of when one begins and ends and how much built-in hold time still lies ahead of the count.
// The T count stops in every built-in hold; liftoff, the moment the L count runs to, is the
// launch time plus the built-in hold time still ahead, so it stands still through a hold kept
// to its plan and moves only when a hold runs longer or shorter than planned.

#include "model/callout_entry.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace orvane {

struct BuiltInHold {
    // The count it stops at, in seconds before T-0.
    std::int64_t tSeconds = 0;
    // Its planned length in seconds.
    std::int64_t lengthSeconds = 0;
    std::string label;
    // It goes on past its planned length until Resume, rather than ending by itself.
    bool waits = false;
    bool operator==(const BuiltInHold&) const = default;
};

// What is wrong with one hold on its own, or none.
std::optional<std::string> checkBuiltInHold(const BuiltInHold& hold);

class CountdownPlan {
  public:
    static constexpr std::size_t MaxHolds = 50;
    static constexpr std::size_t MaxLabel = 60;
    static constexpr std::int64_t MaxSeconds = 99 * 3600;

    // The holds in the order the count reaches them: the highest T-time first.
    const std::vector<BuiltInHold>& holds() const { return m_holds; }
    bool empty() const { return m_holds.empty(); }
    // Adds HOLD in its place, or says what is wrong and changes nothing.
    std::optional<std::string> add(const BuiltInHold& hold);
    // Puts HOLD in place of hold N, or says what is wrong and changes nothing.
    std::optional<std::string> replace(std::size_t n, const BuiltInHold& hold);
    void remove(std::size_t n);
    void clear();
    // Takes OTHER's holds and callouts; a hold standing now stands on, as when the plan is
    // edited.
    void setHolds(const CountdownPlan& other) {
        m_holds = other.m_holds;
        m_callouts = other.m_callouts;
    }
    // The team's own callouts that go with the plan, in the order they were written.
    const std::vector<CalloutEntry>& callouts() const { return m_callouts; }
    std::vector<CalloutEntry>& callouts() { return m_callouts; }
    // A plan is open while it has a built-in hold or a callout of its own.
    bool open() const { return !m_holds.empty() || !m_callouts.empty(); }

    // ---- the run: where the count stands among the holds ----
    // The hold that stands now, or none. It is kept apart from the plan, so that editing the
    // plan during it changes only the holds ahead.
    const std::optional<BuiltInHold>& standing() const { return m_standing; }
    // Real seconds the standing hold has lasted (a hold entered part way through starts
    // with the part already gone).
    std::int64_t standingElapsed() const { return m_elapsed; }
    // The standing hold's length as the plan had it when it began, whatever it was extended by.
    std::int64_t standingPlanned() const { return m_planned; }
    // What to do at a second of the count: the count shows TMINUS (seconds to the launch
    // time) and no built-in hold stands. The hold whose T-time it shows begins, unless it
    // just ended there; a hold the count is back above is ahead again.
    std::optional<BuiltInHold> holdDueAt(std::int64_t tMinus);
    // HOLD begins, ELAPSED seconds of it already gone.
    void begin(const BuiltInHold& hold, std::int64_t elapsed = 0);
    // A standing hold that ends by itself is made longer by SECONDS, or made to wait.
    void extend(std::int64_t seconds);
    void makeWait();
    // The standing hold has lasted ELAPSED real seconds.
    void setElapsed(std::int64_t elapsed) { m_elapsed = elapsed; }
    // The standing hold's time is up (one that ends by itself then ends).
    bool due() const;
    // Seconds of the standing hold's plan left, or (negative) how far past it it is.
    std::int64_t left() const;
    // True once, when the standing hold has reached its planned end.
    bool takePlannedEnd() {
        return m_standing && left() <= 0 && !std::exchange(m_plannedEndTaken, true);
    }
    // The standing hold ends; at its T-time it does not begin again until the count has been
    // put back above it.
    void end();

    // The built-in hold time ahead of a count that shows TMINUS: the rest of the standing
    // hold and every hold below it, or every hold the count has yet to reach.
    std::int64_t timeAhead(std::int64_t tMinus) const;
    // The count SECONDS from now, when it shows TMINUS now, if the plan runs to time: it
    // stands through the rest of the standing hold and through every hold ahead.
    std::int64_t countAfter(std::int64_t tMinus, std::int64_t seconds) const;

    // Where the launch time must stand for LIFTOFF, NOW seconds being the present on the
    // same scale: the seconds of built-in hold ahead, and the hold the present falls in with
    // how much of it has gone, if any. Counted back from liftoff, so a hold is ahead when the
    // moment the count would reach it lies after the present.
    struct Placement {
        std::int64_t ahead = 0;
        std::optional<BuiltInHold> entering;
        std::int64_t elapsed = 0;
    };
    Placement placeLiftoff(std::int64_t secondsToLiftoff) const;

  private:
    std::optional<std::string> check(const BuiltInHold& hold,
                                     std::optional<std::size_t> replacing) const;
    void sort();

    std::vector<BuiltInHold> m_holds;
    std::vector<CalloutEntry> m_callouts;
    std::optional<BuiltInHold> m_standing;
    std::int64_t m_elapsed = 0;
    std::int64_t m_planned = 0;
    bool m_plannedEndTaken = false;
    // The T-time of the hold that ended last, while the count has not left it.
    std::optional<std::int64_t> m_endedAt;
};

// A follower runs no plan of its own: it shows its leader's, as the leader last told it at
// second TOLD (Unix seconds on the leader's clock, which the follower's follows).
struct LeaderPlan {
    std::int64_t liftoff = 0; // Unix seconds
    std::optional<std::string> holdLabel;
    std::int64_t holdLeft = 0; // negative past the planned end of one that waits
    std::int64_t told = 0;
    bool holding = false;
    // The standing hold's time left at second NOW: it runs on from what was told.
    std::int64_t holdLeftAt(std::int64_t now) const {
        return holdLeft - (now > told ? now - told : 0);
    }
    // Liftoff at second NOW: it stands through a built-in hold kept to its plan and moves on
    // with the clock in a hold by hand or past a built-in hold's planned end.
    std::int64_t liftoffAt(std::int64_t now) const;
};

// "h:mm:ss", as a hold's length and time left are shown.
std::string formatHms(std::int64_t seconds);
// "T-HH:MM:SS" read back; none when it is not one.
std::optional<std::int64_t> readHms(const std::string& text);

} // namespace orvane
