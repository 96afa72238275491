#include "app.h"
#include "clock/frmOrvane.h"
#include "colours.h"

namespace orvane {

void frmOrvane::wireCount() {
    tmrCountdown.onTimer = [this] { UpdateCountDisplay(); };
    tmrCurrentDateTime.onTimer = [this] { ShowCurrentDateTime(); };
    lblSeconds.onChange = [this] { BlinkIndicators(); };

    onKeyPress = [this](int keyAscii) {
        if (keyAscii == 27)
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

    cmdShowTimers.onClick = [this] { ToggleEventTimers(); };
    mnuShowTimers.onClick = [this] { ToggleEventTimers(); };
    mnuRtShowTimers.onClick = [this] { ToggleEventTimers(); };
}

DateTime frmOrvane::GetLaunchTime() const {
    // Every writer of lblTarget writes a formatted date-time, so the fallback is never used.
    return toDateTime(lblTarget.caption()).value_or(DateTime{});
}

std::int64_t frmOrvane::TminusSec() const {
    return secondsBetween(services().clock.now(), GetLaunchTime());
}

void frmOrvane::UpdateCountDisplay() {
    const DateTime launch = GetLaunchTime();
    const DateTime now = services().clock.now();
    std::int64_t seconds;
    if (now < launch) {
        seconds = secondsBetween(now, launch);
        setBackColor(LightRed);
        lblTMinus.setCaption("T -");
        // The hold menus follow the hold button, whose state the hold arming sets.
        const bool holdable = cmdHoldResume.enabled();
        cmdHoldResume.setEnabled(holdable);
        mnuHold.setEnabled(holdable);
        mnuRtHold.setEnabled(holdable);
        mnuHoldEnable.setEnabled(true);
        mnuRtHoldEnable.setEnabled(true);
        mnuActiveLaunchWindow.setEnabled(true);
        chkLaunchWindowActive.setEnabled(true);
    } else {
        seconds = secondsBetween(launch, now);
        setBackColor(Green);
        lblTMinus.setCaption("T +");
        cmdHoldResume.setEnabled(false);
        mnuHold.setEnabled(false);
        mnuRtHold.setEnabled(false);
        mnuHoldEnable.setCaption("Hold Enable");
        mnuRtHoldEnable.setCaption("Hold Enable");
        mnuHoldEnable.setEnabled(false);
        mnuRtHoldEnable.setEnabled(false);
        mnuActiveLaunchWindow.setEnabled(false);
        chkLaunchWindowActive.setEnabled(false);
        UpdateWindowWarning();
        lblWindowWarning.setTag("Off");
    }
    lblDays.setCaption(formatNumber(seconds / 86400, "000"));
    seconds %= 86400;
    lblHours.setCaption(formatNumber(seconds / 3600, "00"));
    seconds %= 3600;
    lblMinutes.setCaption(formatNumber(seconds / 60, "00"));
    lblSeconds.setCaption(formatNumber(seconds % 60, "00"));
}

// Indicator 0 blinks through the last hour, indicator 1 joins it in the last ten minutes and
// indicator 2 blinks in the opposite phase in the last minute.
void frmOrvane::BlinkIndicators() {
    const bool even = leadingNumber(lblSeconds.caption()) % 2 == 0;
    auto blink = [this](Shape& shape, std::int64_t limit, bool phase) {
        const std::int64_t t = TminusSec();
        if (t > 0 && t <= limit && phase)
            shape.setVisible(!shape.visible());
        else
            shape.setVisible(false);
    };
    blink(shpIndicator[0], 3600, even);
    blink(shpIndicator[1], 600, even);
    blink(shpIndicator[2], 60, !even);
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
