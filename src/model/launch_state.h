#pragma once

// The launch: when it is, whether holds are armed and one is on, what a hold started from, and
// the launch window of hold time that holds use up. The rules that move them (the count, the
// hold's arithmetic, the window's consumption) live here, below every window; the main window
// renders this state into its captions and turns a user's or a file's edit into a call here.

#include "dates/clock_steps.h"
#include "dates/datetime.h"
#include "dates/zone.h"
#include "model/countdown_plan.h"

#include <cstdint>
#include <optional>
#include <utility>

namespace orvane {

class LaunchState {
  public:
    // A fresh start counts to the main window's designed launch time, until a file is read.
    LaunchState();

    // ---- the launch time: local wall time, as users type, see and store it ----
    // Empty only when an edit gave a text that is not a date-time; the counts then count to
    // the zero date, as they always have.
    const std::optional<LocalTime>& launchTime() const { return m_launch; }
    void setLaunchTime(std::optional<LocalTime> launch) { m_launch = launch; }
    // The launch time as a real instant: the one place where it goes through the zone's rules,
    // worked out at each use so that a change of zone shows at the next second.
    Instant launchMoment(const TimeZone& zone) const;
    // Real seconds from NOW to the launch: positive before it, 0 at its second, negative after.
    std::int64_t secondsToLaunch(Instant now, const TimeZone& zone) const;

    // ---- holds ----
    bool armed() const { return m_armed; }
    // A held count is left only by Resume, so it stays armed whatever is asked; during a
    // built-in hold the arming asked for is the one it returns to.
    void setArmed(bool armed);
    // Whether holds are armed apart from a built-in hold, which arms them while it stands:
    // what a file stores.
    bool armedByUser() const { return builtInHeld() ? m_armedBeforeBuiltIn : m_armed; }
    bool held() const { return m_held; }
    // Where the hold measures from: the moment it began (or the launch time was last set) and
    // the launch time as it stood then.
    const std::optional<LocalTime>& holdStart() const { return m_holdStart; }
    const std::optional<LocalTime>& holdTarget() const { return m_holdTarget; }
    void setHoldStart(std::optional<LocalTime> t) { m_holdStart = t; }
    void setHoldTarget(std::optional<LocalTime> t) { m_holdTarget = t; }
    // Begins a hold at NOW: the count freezes; the launch time and the launch window are
    // measured from here (MONOTONIC_MS tells a clock step from time passing).
    void hold(Instant now, std::int64_t monotonicMs, const TimeZone& zone);
    // Restamps a hold that goes on from the launch time and window as they stand now.
    void restamp(Instant now, std::int64_t monotonicMs, const TimeZone& zone);
    // The launch time moved later by the whole real time held, days included, so that the
    // present and the launch advance together. A step of the clock during the hold is taken
    // out first (it neither moves the launch nor uses up the window); true when one was.
    bool moveHeldLaunch(Instant now, std::int64_t monotonicMs, const TimeZone& zone);
    // Whether the clock stepped during the hold since this was last asked: the held count then
    // shows what the new clock gives.
    bool takeClockStepped() { return std::exchange(m_stepped, false); }
    // Real seconds held from the hold's start to NOW.
    std::optional<std::int64_t> heldSeconds(Instant now, const TimeZone& zone) const;
    void endHold() { m_held = false; }

    // ---- the launch window ----
    struct Window {
        bool active = false;
        // What is left, in seconds within a day; empty when it was given as something else.
        std::optional<std::int64_t> left = 0;
        // What was left when the current consumption began (the budget it draws on).
        std::optional<std::int64_t> budget;
        // When the current consumption began.
        std::optional<LocalTime> start;
        // Being used up now (during a hold, while active).
        bool consuming = false;
        // The warning may show: from a hold's start until it is dismissed, the window is set
        // again, or launch.
        bool warningArmed = false;
        // Used up: it stays so, and the program must be restarted.
        bool expired = false;
    };
    const Window& window() const { return m_window; }
    void setWindowLeft(std::optional<std::int64_t> left) { m_window.left = left; }
    void setWindowBudget(std::optional<std::int64_t> budget) { m_window.budget = budget; }
    void setWindowStart(std::optional<LocalTime> start) { m_window.start = start; }
    void setWindowActive(bool active) { m_window.active = active; }
    void setWindowConsuming(bool consuming) { m_window.consuming = consuming; }
    void setWindowWarningArmed(bool armed) { m_window.warningArmed = armed; }
    // A new window, as entered: what is left and the budget it is drawn from.
    void setWindow(std::int64_t seconds);
    // What is left of the window is banked for the next time it is used up.
    void bankWindow() { m_window.budget = m_window.left; }
    enum class Consumed { Unchanged, Left, Expired };
    // Uses the window up by the whole real time since its consumption began. Left: `left`
    // changed; Expired: it ran out just now (reported once, never again).
    Consumed consumeWindow(Instant now, std::int64_t monotonicMs, const TimeZone& zone);
    // Less than a minute left, in a hold, active, and not dismissed.
    bool windowWarningDue() const;

    // ---- the countdown plan ----
    CountdownPlan& plan() { return m_plan; }
    const CountdownPlan& plan() const { return m_plan; }
    // A built-in hold stands: the count holds as in a hold by hand.
    bool builtInHeld() const { return m_held && m_plan.standing().has_value(); }
    // Liftoff: the launch moment plus the built-in hold time still ahead of the count at NOW.
    Instant liftoffMoment(Instant now, const TimeZone& zone) const;
    // HOLD begins at NOW, ELAPSED seconds of it already gone, whether or not holds are armed;
    // its time is measured on the monotonic clock, so clock steps change neither it nor
    // liftoff.
    void beginBuiltInHold(const BuiltInHold& hold, std::int64_t elapsed, Instant now,
                          std::int64_t monotonicMs, const TimeZone& zone);
    // The standing built-in hold's time passes to MONOTONIC_MS.
    void passBuiltInHold(std::int64_t monotonicMs);
    // The built-in hold ends: holds are armed again as they were before it.
    void endBuiltInHold();
    // With a plan, the time entered is liftoff: the launch time is liftoff less the built-in
    // hold time ahead, and a present inside a hold enters it now (true when one was entered).
    bool setLiftoff(const LocalTime& liftoff, Instant now, std::int64_t monotonicMs,
                    const TimeZone& zone);

    // A follower's: its leader's plan as last told, or none.
    const std::optional<LeaderPlan>& leaderPlan() const { return m_leaderPlan; }
    void setLeaderPlan(std::optional<LeaderPlan> plan) { m_leaderPlan = std::move(plan); }

  private:
    void takeOutClockSteps(Instant now, std::int64_t monotonicMs, const TimeZone& zone);

    std::optional<LocalTime> m_launch;
    bool m_armed = false;
    bool m_held = false;
    std::optional<LocalTime> m_holdStart;
    std::optional<LocalTime> m_holdTarget;
    ClockSteps m_steps;
    bool m_stepped = false;
    Window m_window;
    CountdownPlan m_plan;
    bool m_armedBeforeBuiltIn = false;
    std::int64_t m_builtInBeganMs = 0;
    std::int64_t m_builtInElapsedAtBegin = 0;
    std::optional<LeaderPlan> m_leaderPlan;
};

} // namespace orvane
