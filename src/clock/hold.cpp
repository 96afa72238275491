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
    tmrHold.onTimer = [this] { UpdateHeldTarget(); };
    followDate(lblNowStamp, m_holdStart);
    followDate(lblTargetStamp, m_holdTarget);
}

void frmOrvane::HoldOrResume() {
    if (!m_held)
        StartHold();
    else
        ResumeCount();
}

void frmOrvane::StartHold() {
    m_held = true;
    cmdHoldResume.setCaption("&Resume");
    mnuRtHold.setCaption("&Resume");
    mnuHold.setCaption("&Resume");
    cmdHoldResume.setToolTipText("Click here to RESUME the count.");
    SetDigitColor(Yellow);

    // The shown count freezes; from here on the launch time moves with the clock.
    tmrCountdown.setEnabled(false);
    tmrHold.setEnabled(true);
    const DateTime present = services().clock.now();
    m_holdClockSteps.reset(present, services().clock.monotonicMs());
    const std::string now = formatDate(present, "General Date");
    lblNowStamp.setCaption(now);
    lblTargetStamp.setCaption(lblTarget.caption());

    // The launch window is consumed from what is left of it now.
    tmrLaunchWindow.setEnabled(true);
    lblLaunchWindowStamp.setCaption(lblLaunchWindow.caption());
    lblNowStampWindow.setCaption(now);

    // A hold is left only by Resume.
    mnuHoldEnable.setEnabled(false);
    mnuRtHoldEnable.setEnabled(false);
    setWindowWarningArmed(true);
    m_app.setEventCountDownHeld(true);
}

void frmOrvane::ResumeCount() {
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
}

void frmOrvane::SetDigitColor(Color color) {
    for (Label* digits : {&lblDays, &lblHours, &lblMinutes, &lblSeconds})
        digits->setBackColor(color);
}

// The launch time moves later by the whole time held, days included, so the present and the
// launch time advance together and the count stands still however long the hold lasts.
void frmOrvane::UpdateHeldTarget() {
    if (!m_holdStart || !m_holdTarget)
        return;
    const DateTime now = services().clock.now();
    TakeOutClockSteps(now);
    const std::int64_t held = secondsBetween(*m_holdStart, now);
    lblTarget.setCaption(
        formatDate(m_holdTarget->addSeconds(held), "mmmm d, yyyy   h:mm:ss AM/PM"));
    // Past the launch time the count would give up the hold it is in; it shows the new
    // clock on Resume instead.
    if (std::exchange(m_heldCountStale, false) && TminusSec() > 0)
        UpdateCountDisplay();
}

// A hold measures the time that really passed, and so does the launch window it uses up.
// When the clock is set during a hold (a simulated time, a restore, a person, time
// synchronisation), the hold's starting moments move with the clock, so that the step
// neither moves the launch time nor uses up the launch window.
void frmOrvane::TakeOutClockSteps(DateTime now) {
    const std::int64_t step = m_holdClockSteps.step(now, services().clock.monotonicMs());
    if (step == 0)
        return;
    if (m_holdStart)
        lblNowStamp.setCaption(formatDate(m_holdStart->addSeconds(step), "General Date"));
    if (m_windowStart)
        lblNowStampWindow.setCaption(formatDate(m_windowStart->addSeconds(step), "General Date"));
    m_heldCountStale = true;
}

// Holds are armed only before launch; at the launch second the count disarms them.
void frmOrvane::ToggleHoldEnable() {
    if (TminusSec() < 0)
        return;
    m_holdArmed = !m_holdArmed;
    if (m_holdArmed) {
        mnuHoldEnable.setCaption("Hold Disable");
        mnuRtHoldEnable.setCaption("Hold Disable");
        cmdHoldResume.setEnabled(true);
        mnuHold.setEnabled(true);
    } else {
        mnuHoldEnable.setCaption("Hold Enable");
        mnuRtHoldEnable.setCaption("Hold Enable");
        cmdHoldResume.setEnabled(false);
        mnuHold.setEnabled(false);
    }
}

} // namespace orvane
