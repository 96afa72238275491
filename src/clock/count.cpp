#include "app.h"
#include "clock/frmOrvane.h"
#include "clock/frmPresent.h"
#include "clock/plan_run.h"
#include "colors.h"

#include <utility>

namespace orvane {

void frmOrvane::wireCount() {
    tmrCountdown.onTimer = [this] { UpdateCountDisplay(); };
    tmrCurrentDateTime.onTimer = [this] { ShowCurrentDateTime(); };
    lblSeconds.onChange = [this] { BlinkIndicators(); };

    onKeyPress = [this](int keyAscii) {
        if (keyAscii != 27)
            return;
        // Esc closes the calendar that pops up over the launch date, and only that.
        if (Calendar.visible())
            Calendar.setVisible(false);
        else
            ConfirmExit();
    };
    // The window is never closed by the close button itself: the program ends only in
    // ConfirmExit.
    onQueryUnload = [this](bool& cancel, UnloadMode) {
        ConfirmExit();
        cancel = true;
    };
    mnuExit.onClick = [this] { ConfirmExit(); };
    mnuRtExit.onClick = [this] { ConfirmExit(); };

    for (Control* c : std::initializer_list<Control*>{
             this, &lblDays, &lblHours, &lblMinutes, &lblSeconds, &cmdAccess, &cmdHoldResume,
             &cmdShowTimers, &pctLaunchTime, &pctLaunchWindow})
        c->onMouseUp = [this](MouseButton b) { PopUpRightClickMenu(b); };

    // The count on a whole monitor, for a room.
    mnuPresent.onClick = [this] { PresentCount(m_app); };
    mnuRtPresent.onClick = [this] { PresentCount(m_app); };

    cmdShowTimers.onClick = [this] { ToggleEventTimers(); };
    mnuShowTimers.onClick = [this] { ToggleEventTimers(); };
    mnuRtShowTimers.onClick = [this] { ToggleEventTimers(); };
}

std::int64_t frmOrvane::TminusSec() const {
    return secondsBetween(services().clock.instant(), launchMoment());
}

void frmOrvane::UpdateCountDisplay() {
    const Instant now = services().clock.instant();
    ShowCount(now);
    PlanRun::counted(*this, now);
    ShowCommandNote();
}

void frmOrvane::ShowCount(Instant now) {
    const Instant launch = launchMoment();
    const std::int64_t before = m_shownTminus;
    const std::optional<Instant> launchBefore = std::exchange(m_shownLaunch, launch);
    m_shownTminus = secondsBetween(now, launch);
    m_shown = ShownCount::fromSecondsToLaunch(m_shownTminus);
    if (now < launch) {
        setBackColor(LightRed);
        lblTMinus.setCaption("T -");
        // The hold menus follow the hold arming, as the hold button does.
        mnuHold.setEnabled(m_state.armed());
        mnuRtHold.setEnabled(m_state.armed());
        // A hold is left only by Resume.
        mnuHoldEnable.setEnabled(!m_state.held());
        mnuRtHoldEnable.setEnabled(!m_state.held());
        mnuActiveLaunchWindow.setEnabled(true);
        chkLaunchWindowActive.setEnabled(true);
    } else {
        setBackColor(Green);
        lblTMinus.setCaption("T +");
        cmdHoldResume.setEnabled(false);
        mnuHold.setEnabled(false);
        mnuRtHold.setEnabled(false);
        if (m_state.armed()) {
            m_state.setArmed(false);
            render();
        }
        mnuHoldEnable.setEnabled(false);
        mnuRtHoldEnable.setEnabled(false);
        mnuActiveLaunchWindow.setEnabled(false);
        chkLaunchWindowActive.setEnabled(false);
        UpdateWindowWarning();
        setWindowWarningArmed(false);
    }
    greyForLeader();
    // A follower that has not heard its leader has no count of its own, and no launch.
    if (m_following && !m_leaderHeard) {
        // Nor a sign or a colour: the launch time it starts with says nothing of the leader's.
        setBackColor(LightRed);
        lblTMinus.setCaption("T -");
        for (Label* l : {&lblDays, &lblHours, &lblMinutes, &lblSeconds})
            l->setCaption(l == &lblDays ? "---" : "--");
        return;
    }
    lblDays.setCaption(formatNumber(m_shown.days, "000"));
    lblHours.setCaption(formatNumber(m_shown.hours, "00"));
    lblMinutes.setCaption(formatNumber(m_shown.minutes, "00"));
    lblSeconds.setCaption(formatNumber(m_shown.seconds, "00"));
    // The count reached zero with the launch time it counted to: the launch.
    if (before > 0 && m_shownTminus <= 0 && launchBefore == launch) {
        Happening h = happening(Happening::Kind::Liftoff);
        h.newLaunch = launch;
        m_app.raise(h);
    }
}

ShownCount frmOrvane::countAt(Instant now) const {
    return m_state.held() ? m_shown
                          : ShownCount::fromSecondsToLaunch(secondsBetween(now, launchMoment()));
}

Happening frmOrvane::happening(Happening::Kind kind) const {
    return m_app.happening(kind);
}

// Indicator 0 blinks through the last hour, indicator 1 joins it in the last ten minutes and
// indicator 2 blinks in the opposite phase in the last minute.
void frmOrvane::BlinkIndicators() {
    const bool even = m_shown.seconds % 2 == 0;
    auto blink = [this](Shape& shape, std::int64_t limit, bool phase) {
        const std::int64_t t = m_shownTminus;
        if (t > 0 && t <= limit && phase)
            shape.setVisible(!shape.visible());
        else
            shape.setVisible(false);
    };
    blink(shpIndicator[0], 3600, even);
    blink(shpIndicator[1], 600, even);
    blink(shpIndicator[2], 60, !even);
}

void frmOrvane::ToggleEventTimers() {
    m_app.ToggleEventTimers();
}

void frmOrvane::showEventTimersCaptions(bool shown) {
    const char* caption = shown ? "Hide Event Timers" : "Show Event Timers";
    mnuShowTimers.setCaption(caption);
    mnuRtShowTimers.setCaption(caption);
    cmdShowTimers.setCaption(caption);
}

// While the program keeps its own clock off the true time, the panel says so, and its
// tooltip tells the true time.
void frmOrvane::ShowCurrentDateTime() {
    const char* pattern = "mmm d, yyyy  h:mm:ss AM/PM";
    StatusPanel& panel = *sbrStatusBar.panel("pnlCurrentDate");
    const std::string shown = formatDate(services().clock.now(), pattern);
    if (const auto trueTime = m_app.trueTimeWhileSimulated()) {
        panel.setText("SIM " + shown);
        panel.setToolTipText("Simulated time. True time: " + formatDate(*trueTime, pattern));
    } else {
        panel.setText(shown);
        panel.setToolTipText("");
    }
}

void frmOrvane::PopUpRightClickMenu(MouseButton button) {
    if (button == MouseButton::Right)
        popupMenu(mnuPopUp);
}

} // namespace orvane
