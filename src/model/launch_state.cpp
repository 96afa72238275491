#include "model/launch_state.h"

#include <algorithm>

namespace orvane {

namespace {

constexpr std::int64_t LastSecondOfDay = 86399;

LocalTime movedBy(const TimeZone& zone, const LocalTime& t, std::int64_t seconds) {
    return zone.toLocal(zone.toInstant(t).addSeconds(seconds));
}

} // namespace

LaunchState::LaunchState()
    : m_launch(LocalTime{DateTime::fromParts(2001, 5, 3)->addSeconds(10 * 3600 + 30 * 60)}) {}

Instant LaunchState::launchMoment(const TimeZone& zone) const {
    return zone.toInstant(m_launch.value_or(LocalTime{}));
}

std::int64_t LaunchState::secondsToLaunch(Instant now, const TimeZone& zone) const {
    return secondsBetween(now, launchMoment(zone));
}

void LaunchState::setArmed(bool armed) {
    if (builtInHeld())
        m_armedBeforeBuiltIn = armed;
    else
        m_armed = armed || m_held;
}

void LaunchState::hold(Instant now, std::int64_t monotonicMs, const TimeZone& zone) {
    m_held = true;
    restamp(now, monotonicMs, zone);
}

void LaunchState::restamp(Instant now, std::int64_t monotonicMs, const TimeZone& zone) {
    const LocalTime local = zone.toLocal(now);
    m_steps.reset(now, monotonicMs);
    m_stepped = false;
    m_holdStart = local;
    m_holdTarget = m_launch;
    bankWindow();
    m_window.start = local;
}

void LaunchState::takeOutClockSteps(Instant now, std::int64_t monotonicMs, const TimeZone& zone) {
    const std::int64_t step = m_steps.step(now, monotonicMs);
    if (step == 0)
        return;
    if (m_holdStart)
        m_holdStart = movedBy(zone, *m_holdStart, step);
    if (m_window.start)
        m_window.start = movedBy(zone, *m_window.start, step);
    m_stepped = true;
}

bool LaunchState::moveHeldLaunch(Instant now, std::int64_t monotonicMs, const TimeZone& zone) {
    if (!m_holdStart || !m_holdTarget)
        return false;
    takeOutClockSteps(now, monotonicMs, zone);
    const std::int64_t held = secondsBetween(zone.toInstant(*m_holdStart), now);
    m_launch = zone.toLocal(zone.toInstant(*m_holdTarget).addSeconds(held));
    return true;
}

std::optional<std::int64_t> LaunchState::heldSeconds(Instant now, const TimeZone& zone) const {
    if (!m_holdStart)
        return std::nullopt;
    return secondsBetween(zone.toInstant(*m_holdStart), now);
}

void LaunchState::setWindow(std::int64_t seconds) {
    m_window.left = seconds;
    m_window.budget = seconds;
}

// The window is used up by the whole real time held, days included, so that even a window of
// 23:59:59 runs out.
LaunchState::Consumed LaunchState::consumeWindow(Instant now, std::int64_t monotonicMs,
                                                 const TimeZone& zone) {
    if (m_window.expired) {
        m_window.consuming = false;
        return Consumed::Unchanged;
    }
    takeOutClockSteps(now, monotonicMs, zone);
    const std::int64_t elapsed =
        m_window.start ? secondsBetween(zone.toInstant(*m_window.start), now) : 0;
    const std::int64_t budget = m_window.budget.value_or(0);
    if (elapsed <= budget) {
        // Kept within a day, so that what is left stays a time of day.
        m_window.left = std::min(budget - elapsed, LastSecondOfDay);
        return Consumed::Left;
    }
    m_window.left = 0;
    m_window.consuming = false;
    m_window.expired = true;
    return Consumed::Expired;
}

bool LaunchState::windowWarningDue() const {
    return m_window.left && *m_window.left < 60 && m_window.active && m_window.warningArmed &&
           m_held;
}

Instant LaunchState::liftoffMoment(Instant now, const TimeZone& zone) const {
    return launchMoment(zone).addSeconds(m_plan.timeAhead(secondsToLaunch(now, zone)));
}

void LaunchState::beginBuiltInHold(const BuiltInHold& hold, std::int64_t elapsed, Instant now,
                                   std::int64_t monotonicMs, const TimeZone& zone) {
    m_armedBeforeBuiltIn = m_armed;
    m_armed = true;
    this->hold(now, monotonicMs, zone);
    m_plan.begin(hold, elapsed);
    m_builtInBeganMs = monotonicMs;
    m_builtInElapsedAtBegin = elapsed;
}

void LaunchState::passBuiltInHold(std::int64_t monotonicMs) {
    // Taken at the turns of the seconds, which the timer meets a little late by a varying
    // amount: to the nearest second, so that a turn met sooner than the hold's first is not
    // taken for the second before it (the hold would end, and liftoff move, a second late).
    if (m_plan.standing())
        m_plan.setElapsed(m_builtInElapsedAtBegin + (monotonicMs - m_builtInBeganMs + 500) / 1000);
}

void LaunchState::endBuiltInHold() {
    m_plan.end();
    m_held = false;
    m_armed = m_armedBeforeBuiltIn;
}

bool LaunchState::setLiftoff(const LocalTime& liftoff, Instant now, std::int64_t monotonicMs,
                             const TimeZone& zone) {
    // A built-in hold standing now gives way to where the new liftoff puts the count.
    if (builtInHeld()) {
        m_plan.end();
        m_held = false;
        m_armed = m_armedBeforeBuiltIn;
    }
    const Instant lift = zone.toInstant(liftoff);
    const CountdownPlan::Placement p = m_plan.placeLiftoff(secondsBetween(now, lift));
    m_launch = zone.toLocal(lift.addSeconds(-p.ahead));
    if (!p.entering)
        return false;
    // The count enters the hold now, at its T-time, the rest of its length ahead of it.
    beginBuiltInHold(*p.entering, p.elapsed, now, monotonicMs, zone);
    return true;
}

} // namespace orvane
