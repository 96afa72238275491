#include "app.h"
#include "clock/frmOrvane.h"
#include "colors.h"

#include <utility>

namespace orvane {

void frmOrvane::wireHold() {
    cmdHoldResume.onClick = [this] { HoldOrResume(); };
    mnuHold.onClick = [this] { HoldOrResume(); };
    mnuRtHold.onClick = [this] { HoldOrResume(); };
    mnuHoldEnable.onClick = [this] { ToggleHoldEnable(); };
    mnuRtHoldEnable.onClick = [this] { ToggleHoldEnable(); };
    tmrHold.onTimer = [this] { UpdateHeldTarget(services().clock.instant()); };
    followLocal(lblNowStamp, m_holdStart);
    followLocal(lblTargetStamp, m_holdTarget);
}

void frmOrvane::HoldOrResume() {
    if (m_following)
        return;
    if (!m_held)
        StartHold();
    else
        ResumeCount();
}

// A hold reads the present once: the count it freezes, its start and the launch time it moves
// all come from that one reading, so a hold begun in the instant the clock turns a second
// shows the count of the second it holds at.
void frmOrvane::StartHold() {
    const Instant now = services().clock.instant();
    ShowCount(now);
    m_held = true;
    cmdHoldResume.setCaption("&Resume");
    mnuRtHold.setCaption("&Resume");
    mnuHold.setCaption("&Resume");
    cmdHoldResume.setToolTipText("Click here to RESUME the count.");
    SetDigitColor(Yellow);

    // The shown count freezes; from here on the launch time moves with the clock.
    tmrCountdown.setEnabled(false);
    tmrHold.setEnabled(true);
    // The launch window is consumed from what is left of it now.
    tmrLaunchWindow.setEnabled(true);
    StampHold(now);

    // A hold is left only by Resume.
    mnuHoldEnable.setEnabled(false);
    mnuRtHoldEnable.setEnabled(false);
    setWindowWarningArmed(true);
    m_app.setEventCountDownHeld(true);
    m_app.raise(happening(Happening::Kind::Hold));
}

// The hold ends at one reading of the present too: the launch time and the launch window take
// their last step with it and the count goes on from there, so a resume in the instant the
// clock turns a second neither loses nor adds one.
void frmOrvane::ResumeCount() {
    const Instant now = services().clock.instant();
    UpdateHeldTarget(now);
    Happening resumed = happening(Happening::Kind::Resume);
    const TimeZone zone = services().clock.zone();
    if (m_holdStart)
        resumed.heldSeconds = secondsBetween(zone.toInstant(*m_holdStart), now);
    if (m_holdTarget)
        resumed.oldLaunch = zone.toInstant(*m_holdTarget);
    resumed.newLaunch = launchMoment();
    if (tmrLaunchWindow.enabled() && chkLaunchWindowActive.value() == 1)
        UpdateHeldWindow(now);
    LeaveHold(now);
    resumed.shown = m_shown;
    m_app.raise(resumed);
}

void frmOrvane::LeaveHold(Instant now) {
    m_held = false;
    cmdHoldResume.setCaption("&Hold");
    mnuRtHold.setCaption("&Hold");
    mnuHold.setCaption("&Hold");
    cmdHoldResume.setToolTipText("Click here to HOLD the count.");
    SetDigitColor(LightGrey);

    // lblTarget already holds the launch time moved by the whole hold, so the count goes on
    // from the value the hold froze.
    tmrHold.setEnabled(false);
    tmrCountdown.setEnabled(true);
    tmrLaunchWindow.setEnabled(false);

    mnuHoldEnable.setEnabled(true);
    mnuRtHoldEnable.setEnabled(true);
    m_app.setEventCountDownHeld(false);
    ShowCount(now);
}

void frmOrvane::SetDigitColor(Color color) {
    for (Label* digits : {&lblDays, &lblHours, &lblMinutes, &lblSeconds})
        digits->setBackColor(color);
}

// The launch time moves later by the whole real time held, days included, so the present and
// the launch time advance together and the count stands still however long the hold lasts,
// whatever the wall clock does meanwhile.
void frmOrvane::UpdateHeldTarget(Instant now) {
    if (!m_holdStart || !m_holdTarget)
        return;
    TakeOutClockSteps(now);
    const TimeZone zone = services().clock.zone();
    const std::int64_t held = secondsBetween(zone.toInstant(*m_holdStart), now);
    const Instant launch = zone.toInstant(*m_holdTarget).addSeconds(held);
    stamp(lblTarget, m_launchTime, zone.toLocal(launch), "mmmm d, yyyy   h:mm:ss AM/PM");
    // Past the launch time the count would give up the hold it is in; it shows the new
    // clock on Resume instead.
    if (std::exchange(m_heldCountStale, false) && TminusSec() > 0)
        ShowCount(now);
}

// A hold measures the time that really passed, and so does the launch window it uses up.
// When the clock is set during a hold (a simulated time, a restore, a person, time
// synchronisation), the hold's starting moments move with the clock, so that the step
// neither moves the launch time nor uses up the launch window.
void frmOrvane::TakeOutClockSteps(Instant now) {
    const std::int64_t step = m_holdClockSteps.step(now, services().clock.monotonicMs());
    if (step == 0)
        return;
    const TimeZone zone = services().clock.zone();
    if (m_holdStart)
        stamp(lblNowStamp, m_holdStart, zone.toLocal(zone.toInstant(*m_holdStart).addSeconds(step)),
              "General Date");
    if (m_windowStart)
        stamp(lblNowStampWindow, m_windowStart,
              zone.toLocal(zone.toInstant(*m_windowStart).addSeconds(step)), "General Date");
    m_heldCountStale = true;
}

// Holds are armed only before launch; at the launch second the count disarms them.
void frmOrvane::ToggleHoldEnable() {
    if (TminusSec() < 0)
        return;
    SetHoldArmed(!m_holdArmed);
}

void frmOrvane::SetHoldArmed(bool armed) {
    // A held count is left only by Resume, so its button stays enabled whatever the file says.
    if (m_held)
        armed = true;
    m_holdArmed = armed;
    cmdHoldResume.setEnabled(armed);
    mnuHold.setEnabled(armed);
    const char* enable = armed ? "Hold Disable" : "Hold Enable";
    mnuHoldEnable.setCaption(enable);
    mnuRtHoldEnable.setCaption(enable);
    greyForLeader();
}

// What a hold moves from NOW on: the launch time and the launch window as they are, from this
// moment of the clock.
void frmOrvane::StampHold(Instant now) {
    const LocalTime local = services().clock.zone().toLocal(now);
    m_holdClockSteps.reset(now, services().clock.monotonicMs());
    stamp(lblNowStamp, m_holdStart, local, "General Date");
    lblTargetStamp.setCaption(lblTarget.caption());
    m_holdTarget = m_launchTime;
    lblLaunchWindowStamp.setCaption(lblLaunchWindow.caption());
    stamp(lblNowStampWindow, m_windowStart, local, "General Date");
}

// The hold moves the launch time and the launch window it stamped when it began; restamped,
// it moves the ones just read, as after setting a launch time during a hold.
void frmOrvane::RestampHold() {
    if (!m_held)
        return;
    const Instant now = services().clock.instant();
    // No hold stands after launch: a launch time that has passed ends the hold where it is,
    // and the count runs on from it.
    if (now >= launchMoment()) {
        LeaveHold(now);
        return;
    }
    StampHold(now);
    ShowCount(now);
}

} // namespace orvane
