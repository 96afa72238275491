#include "app.h"
#include "clock/frmOrvane.h"
#include "colors.h"

#include <algorithm>

namespace orvane {

namespace {

constexpr const char* MessageTitle = "Launch Window Message";
constexpr std::int64_t LastSecondOfDay = 86399;

} // namespace

void frmOrvane::wireLaunchWindow() {
    pairTimeBox(txtHoursW, vsbHoursW);
    pairTimeBox(txtMinutesW, vsbMinutesW);
    pairTimeBox(txtSecondsW, vsbSecondsW);

    cmdSetWindow.onClick = [this] {
        setWindowWarningArmed(false);
        SetLaunchWindow();
    };
    mnuSetLaunchWindow.onClick = [this] { SetLaunchWindow(); };
    chkLaunchWindowActive.onClick = [this] { ApplyLaunchWindowActive(); };
    // The menu mirrors the check box; changing the box applies the change.
    mnuActiveLaunchWindow.onClick = [this] {
        const bool active = !mnuActiveLaunchWindow.checked();
        mnuActiveLaunchWindow.setChecked(active);
        chkLaunchWindowActive.setValue(active ? 1 : 0);
        lblLaunchWindow.setBackColor(active ? LightGrey : ButtonFace);
    };

    tmrLaunchWindow.onTimer = [this] {
        if (!m_held)
            return;
        if (chkLaunchWindowActive.value() == 1)
            UpdateHeldWindow(services().clock.instant());
        else
            tmrLaunchWindow.setEnabled(false);
    };
    // What is left of the launch window is read once whenever its caption changes.
    lblLaunchWindow.onChange = [this] {
        m_windowLeft = toDateTime(lblLaunchWindow.caption());
        followLocal(lblNowStampWindow, m_windowStart);
        followDate(lblLaunchWindowStamp, m_windowBanked);
        UpdateWindowWarning();
    };
    m_windowLeft = toDateTime(lblLaunchWindow.caption());
    followLocal(lblNowStampWindow, m_windowStart);
    followDate(lblLaunchWindowStamp, m_windowBanked);
    lblWindowWarning.onClick = [this] {
        lblWindowWarning.setVisible(false);
        setWindowWarningArmed(false);
    };

    onMouseDown = [this](MouseButton) { CheckWindowLock(); };
    pctLaunchTime.onClick = [this] { CheckWindowLock(); };
    pctLaunchWindow.onClick = [this] { CheckWindowLock(); };
}

void frmOrvane::SetLaunchWindow() {
    const std::string before = lblLaunchWindow.caption();
    SetLaunchWindowEntry();
    if (lblLaunchWindow.caption() != before)
        raiseWindowHappening(Happening::Kind::LaunchWindowSet);
}

void frmOrvane::raiseWindowHappening(Happening::Kind kind) {
    Happening h = happening(kind);
    const LaunchWindowState w = launchWindow();
    h.windowText = w.text;
    h.windowActive = w.active;
    m_app.raise(h);
}

void frmOrvane::SetLaunchWindowEntry() {
    const std::optional<std::string> entry = GetWindowEntry();
    if (!entry)
        return;
    const Answer answer = services().dialogs.messageBox(
        "Are you sure you want to enter " + *entry + " as your new Launch Window?", Buttons::YesNo,
        Icon::Question, "Set Launch Time");
    if (answer != Answer::Yes) {
        // The scroll bars go back to 0 with their boxes, so that the next click in a box
        // counts up from what it shows.
        for (auto [box, bar] : {std::pair{&txtSecondsW, &vsbSecondsW},
                                {&txtMinutesW, &vsbMinutesW},
                                {&txtHoursW, &vsbHoursW}}) {
            bar->setValue(0);
            box->setText("00");
        }
        return;
    }

    if (m_holdArmed) {
        const bool wasHeld = m_held;
        if (ConfirmWindowChange()) {
            lblLaunchWindow.setCaption(*entry);
            lblLaunchWindowStamp.setCaption(*entry);
            if (wasHeld)
                tmrLaunchWindow.setEnabled(true);
        }
    } else if (TminusSec() > 0) {
        if (ConfirmWindowChange()) {
            lblLaunchWindow.setCaption(*entry);
            lblLaunchWindowStamp.setCaption(*entry);
        }
    } else if (TminusSec() < 0) {
        if (ConfirmWindowChange()) {
            services().dialogs.messageBox(
                "You must set a Launch Window BEFORE launch for it to take effect.  Your new "
                "Launch Window time will be displayed but will not function.",
                Buttons::OK, Icon::Information, MessageTitle);
            lblLaunchWindow.setCaption(*entry);
        }
    }
}

std::optional<std::string> frmOrvane::GetWindowEntry() {
    const std::optional<std::int64_t> time = ReadTimeEntry(txtHoursW, txtMinutesW, txtSecondsW);
    if (!time)
        return std::nullopt;
    return formatDate(DateTime::fromSeconds(*time), "h:mm:ss");
}

bool frmOrvane::ConfirmWindowChange() {
    if (chkLaunchWindowActive.value() != 1)
        return true;
    const Answer answer = services().dialogs.messageBox(
        "You must deactivate the Launch Window before setting a Launch Window Time.  Would you "
        "like to deactivate the Launch Window now?",
        Buttons::YesNo, Icon::Question, MessageTitle);
    if (answer != Answer::Yes) {
        services().dialogs.messageBox("Launch Window time will not be set.", Buttons::OK,
                                      Icon::Exclamation, MessageTitle);
        return false;
    }
    // Unchecking the box applies the change through its own event.
    chkLaunchWindowActive.setValue(0);
    return true;
}

void frmOrvane::ApplyLaunchWindowActive() {
    if (chkLaunchWindowActive.value() == 1) {
        mnuActiveLaunchWindow.setChecked(true);
        lblLaunchWindow.setBackColor(LightGrey);
        lblLaunchWindow.setBorderStyle(1);
        const Clock& clock = services().clock;
        stamp(lblNowStampWindow, m_windowStart, clock.zone().toLocal(clock.instant()),
              "General Date");
        if (!tmrLaunchWindow.enabled())
            tmrLaunchWindow.setEnabled(true);
        else
            lblLaunchWindowStamp.setCaption(lblLaunchWindow.caption());
    } else {
        mnuActiveLaunchWindow.setChecked(false);
        lblLaunchWindow.setBackColor(ButtonFace);
        lblLaunchWindow.setBorderStyle(0);
        // What is left of the window is banked for the next time it is made active.
        if (tmrLaunchWindow.enabled()) {
            tmrLaunchWindow.setEnabled(false);
            lblLaunchWindowStamp.setCaption(lblLaunchWindow.caption());
        }
    }
}

// The window is consumed by the whole real time held, days included, so that even a window
// of 23:59:59 runs out.
void frmOrvane::UpdateHeldWindow(Instant now) {
    // An expired window stays expired until the program ends: it is never consumed or
    // reported again.
    if (m_windowExpired) {
        tmrLaunchWindow.setEnabled(false);
        return;
    }
    TakeOutClockSteps(now);
    const std::int64_t elapsed =
        m_windowStart ? secondsBetween(services().clock.zone().toInstant(*m_windowStart), now) : 0;
    // The banked window is a time of day such as "0:01:30"; anything else counts as none.
    const std::int64_t window = m_windowBanked ? m_windowBanked->timeOfDay() : 0;
    if (elapsed <= window) {
        // Kept within a day, so that the caption stays a time of day.
        const std::int64_t left = std::min(window - elapsed, LastSecondOfDay);
        lblLaunchWindow.setCaption(formatDate(DateTime::fromSeconds(left), "hh:mm:ss"));
        return;
    }

    // The timer is off and the panels are locked before the message goes up, so nothing
    // can report the expiry a second time while the message is open or after it.
    lblLaunchWindow.setCaption("00:00:00");
    tmrLaunchWindow.setEnabled(false);
    m_windowExpired = true;
    setTag("Off");
    pctLaunchWindow.setTag("Off");
    pctLaunchTime.setTag("Off");
    raiseWindowHappening(Happening::Kind::WindowExpired);
    services().dialogs.messageBox("Your Launch Window has expired.  You must reschedule a new "
                                  "Launch Date.  Press OK then the Esc key to exit the program.",
                                  Buttons::OK, Icon::Exclamation, MessageTitle);
}

void frmOrvane::UpdateWindowWarning() {
    const bool due = WindowWarningDue();
    const bool wasShown = lblWindowWarning.visible();
    lblWindowWarning.setVisible(due);
    if (due && !wasShown)
        raiseWindowHappening(Happening::Kind::WindowWarned);
}

bool frmOrvane::WindowWarningDue() const {
    return m_windowLeft && m_windowLeft->timeOfDay() < 60 && chkLaunchWindowActive.value() == 1 &&
           m_windowWarningArmed && m_held;
}

// The warning label's tag shows the same state.
void frmOrvane::setWindowWarningArmed(bool armed) {
    m_windowWarningArmed = armed;
    lblWindowWarning.setTag(armed ? "On" : "Off");
}

// After expiry the user must restart; leaving goes through the exit path so that nothing
// unsaved is lost. Should the user stay there, the surfaces stay locked.
void frmOrvane::CheckWindowLock() {
    if (!m_windowExpired)
        return;
    const std::string& title = m_app.info().title;
    services().dialogs.messageBox("You must exit " + title + " and restart the program.",
                                  Buttons::OK, Icon::Critical, title);
    ConfirmExit(true);
}

} // namespace orvane
