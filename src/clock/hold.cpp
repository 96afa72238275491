#include "app.h"
#include "clock/frmOrvane.h"
#include "clock/plan_run.h"
#include "colors.h"

#include <utility>

namespace orvane {

void frmOrvane::wireHold() {
    cmdHoldResume.onClick = [this] { HoldOrResume(); };
    mnuHold.onClick = [this] { HoldOrResume(); };
    mnuRtHold.onClick = [this] { HoldOrResume(); };
    mnuHoldEnable.onClick = [this] { ToggleHoldEnable(); };
    mnuRtHoldEnable.onClick = [this] { ToggleHoldEnable(); };
    tmrHold.onTimer = [this] {
        const Instant now = services().clock.instant();
        UpdateHeldTarget(now);
        PlanRun::held(*this, now);
        ShowCommandNote();
    };
}

void frmOrvane::HoldOrResume() {
    if (m_following)
        return;
    if (!m_state.held())
        StartHold();
    else if (m_state.builtInHeld())
        PlanRun::end(*this, services().clock.instant());
    else
        ResumeCount();
}

// A hold reads the present once: the count it freezes, its start and the launch time it moves
// all come from that one reading, so a hold begun in the instant the clock turns a second
// shows the count of the second it holds at.
void frmOrvane::StartHold() {
    const Instant now = services().clock.instant();
    ShowCount(now);
    m_state.hold(now, services().clock.monotonicMs(), zone());
    m_captions.targetStampCopiesLaunch = true;
    // The launch window is consumed from what is left of it now.
    m_state.setWindowConsuming(true);
    render();

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
    const TimeZone z = zone();
    resumed.heldSeconds = m_state.heldSeconds(now, z);
    if (m_state.holdTarget())
        resumed.oldLaunch = z.toInstant(*m_state.holdTarget());
    resumed.newLaunch = launchMoment();
    if (m_state.window().consuming && m_state.window().active)
        UpdateHeldWindow(now);
    LeaveHold(now);
    resumed.shown = m_shown;
    m_app.raise(resumed);
}

void frmOrvane::LeaveHold(Instant now) {
    // The launch time already moved by the whole hold, so the count goes on from the value
    // the hold froze.
    if (m_state.builtInHeld())
        m_state.endBuiltInHold();
    m_state.endHold();
    m_state.setWindowConsuming(false);
    render();
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
// whatever the wall clock does meanwhile. A step of the clock during the hold (a simulated
// time, a restore, a person, time synchronisation) is taken out of what the hold measures.
void frmOrvane::UpdateHeldTarget(Instant now) {
    if (!m_state.moveHeldLaunch(now, services().clock.monotonicMs(), zone()))
        return;
    showLaunchTimeAs("mmmm d, yyyy   h:mm:ss AM/PM");
    render();
    // Past the launch time the count would give up the hold it is in; it shows the new
    // clock on Resume instead.
    if (m_state.takeClockStepped() && TminusSec() > 0)
        ShowCount(now);
}

// Holds are armed only before launch; at the launch second the count disarms them.
void frmOrvane::ToggleHoldEnable() {
    if (TminusSec() < 0)
        return;
    SetHoldArmed(!m_state.armed());
}

void frmOrvane::SetHoldArmed(bool armed) {
    m_state.setArmed(armed);
    render();
    cmdHoldResume.setEnabled(m_state.armed());
    mnuHold.setEnabled(m_state.armed());
    greyForLeader();
}

// What a hold moves from NOW on: the launch time and the launch window as they are, from this
// moment of the clock.
void frmOrvane::StampHold(Instant now) {
    m_state.restamp(now, services().clock.monotonicMs(), zone());
    m_captions.targetStampCopiesLaunch = true;
    render();
}

// The hold moves the launch time and the launch window it stamped when it began; restamped,
// it moves the ones just read, as after setting a launch time during a hold.
void frmOrvane::RestampHold() {
    if (!m_state.held())
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
