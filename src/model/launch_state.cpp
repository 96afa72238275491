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

} // namespace orvane
