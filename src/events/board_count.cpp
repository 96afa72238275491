#include "app.h"
#include "colors.h"
#include "events/frmEventTimers.h"
#include "events/modSecondsToTime.h"

#include <utility>

namespace orvane {

Instant frmEventTimers::GetLaunchTime() const {
    return m_app.launchMoment();
}

// The count up captures the moment again at its next tick.
void frmEventTimers::RestartCount(int n) {
    setPhase(n, RowPhase::Fresh);
}

// The tags are the phases' texts, written and read here only.
frmEventTimers::RowPhase frmEventTimers::phase(int n) const {
    const std::string& tag = lblTag.at(n).tag();
    return tag == "1"   ? RowPhase::CountingUp
           : tag == "2" ? RowPhase::CountingDown
                        : RowPhase::Fresh;
}

void frmEventTimers::setPhase(int n, RowPhase phase) {
    lblTag.at(n).setTag(phase == RowPhase::CountingUp     ? "1"
                        : phase == RowPhase::CountingDown ? "2"
                                                          : "");
}

Instant frmEventTimers::countMoment(int n, Instant launch, Instant now) const {
    const Instant moment = EventTime(n, launch);
    if (now < moment || phase(n) != RowPhase::CountingUp)
        return moment;
    const TimeZone zone = services().clock.zone();
    return m_captured.at(n) ? zone.toInstant(*m_captured.at(n)) : moment;
}

frmEventTimers::Row frmEventTimers::row(int n) const {
    Row r;
    r.defined = isAssigned(n);
    r.direction = pctEvent.at(n).tag() == "+" ? Direction::After : Direction::Before;
    r.offsetSeconds = EventData().Secs(n);
    r.name = lblName.at(n).caption();
    const Instant now = services().clock.instant();
    const Instant launch = GetLaunchTime();
    r.moment = countMoment(n, launch, now);
    r.phase = phase(n);
    r.text = lblTime.at(n).caption();
    const std::int64_t d = secondsBetween(now, EventTime(n, launch));
    if (d > 0 && d <= 600)
        r.alert = d > 60 ? AlertLevel::TenMinutes : AlertLevel::LastMinute;
    return r;
}

void frmEventTimers::raiseRow(Happening::Kind kind, int n) {
    Happening h = m_app.happening(kind);
    const Row r = row(n);
    h.event = HappeningEvent{n + 1, r.name, r.signedOffset()};
    m_app.raise(h);
}

// The launch time is read afresh each time, so a new launch time or a hold moves every event
// with it. Only a "+" mark puts the event after launch; an unassigned row (no mark, no
// offset) has the launch time itself as its moment.
Instant frmEventTimers::EventTime(int n) const {
    return EventTime(n, GetLaunchTime());
}

// Events lie whole real seconds from launch.
Instant frmEventTimers::EventTime(int n, Instant launch) const {
    if (n < 0 || n > 9)
        return Instant{};
    const std::int64_t secs = EventData().Secs(n);
    return pctEvent[n].tag() == "+" ? launch.addSeconds(secs) : launch.addSeconds(-secs);
}

std::int64_t frmEventTimers::SecondsToEvent(int n) const {
    return secondsBetween(services().clock.instant(), EventTime(n));
}

// Rows whose event is still ahead show the time left. A row whose moment has come hands over
// to the count up by clearing its "2" state; the count up then captures the moment.
void frmEventTimers::CountDown() {
    // The launch time and the present are read once a tick, since nothing the tick does
    // moves them.
    const Instant launch = GetLaunchTime();
    const Instant now = services().clock.instant();
    for (int n = 0; n < 10; ++n) {
        const Instant moment = EventTime(n, launch);
        if (now < moment) {
            lblTime[n].setBackColor(PaleRed);
            setPhase(n, RowPhase::CountingDown);
            lblTime[n].setCaption(SecondsToTime(secondsBetween(now, moment), false));
        } else if (phase(n) == RowPhase::CountingDown) {
            setPhase(n, RowPhase::Fresh);
        }
    }
}

// Rows whose moment has come count up from the moment captured when they first passed it, so
// a later change of the launch time does not move them unless the event comes back ahead.
void frmEventTimers::CountUp() {
    const Instant launch = GetLaunchTime();
    const Instant now = services().clock.instant();
    const TimeZone zone = services().clock.zone();
    const bool sameLaunch = std::exchange(m_countedLaunch, launch) == launch;
    for (int n = 0; n < 10; ++n) {
        const Instant moment = EventTime(n, launch);
        // An event's count reaches zero when the clock reaches its moment, not when a new
        // launch time or a newly defined event puts the moment behind the present.
        const bool wasAhead = std::exchange(m_ahead.at(n), now < moment);
        if (now < moment)
            continue;
        if (wasAhead && sameLaunch && isAssigned(n))
            raiseRow(Happening::Kind::EventPassed, n);
        lblTime[n].setBackColor(LightGreen);
        if (phase(n) == RowPhase::Fresh) {
            setPhase(n, RowPhase::CountingUp);
            const LocalTime local = zone.toLocal(moment);
            lblTag[n].setCaption(formatDate(local.wall, "General Date"));
            m_captured[n] = local;
        } else if (phase(n) == RowPhase::CountingDown) {
            // The count down has not yet seen the moment pass; a later tick captures it.
            continue;
        }
        const Instant captured = countMoment(n, launch, now);
        lblTime[n].setCaption(SecondsToTime(secondsBetween(now, captured), true));
    }
}

// The panel warns of an event in the last ten minutes before it, and more strongly in the
// last minute; at the moment it simply returns to the button face.
void frmEventTimers::ShowAlertColors() {
    const Instant launch = GetLaunchTime();
    const Instant now = services().clock.instant();
    for (int n = 0; n < 10; ++n) {
        const Instant moment = EventTime(n, launch);
        const std::int64_t d = secondsBetween(now, moment);
        const bool ahead = now < moment;
        Color color = ButtonFace;
        if (d <= 600 && ahead)
            color = d > 60 ? PaleYellow : Yellow;
        pctEvent[n].setBackColor(color);
    }
}

// The tooltips show each event's definition, not the time left, so they need refreshing only
// when an event is defined; whoever defines one turns the timer on again, and the short
// interval then refreshes them at once.
void frmEventTimers::ShowToolTips() {
    CTimeData& data = EventData();
    for (int n = 0; n < 10; ++n) {
        const std::string text = EventDefinitionText(data.Secs(n), data.plusText(n));
        pctEvent[n].setToolTipText(text);
        lblName[n].setToolTipText(text);
        lblTime[n].setToolTipText(text);
    }
    tmrToolTips.setEnabled(false);
    tmrToolTips.setInterval(1);
}

} // namespace orvane
