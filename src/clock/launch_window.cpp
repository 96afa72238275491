#include "app.h"
#include "clock/frmOrvane.h"
#include "colors.h"

namespace orvane {

namespace {

constexpr const char* MessageTitle = "Launch Window Message";

} // namespace

void frmOrvane::wireLaunchWindow() {
    pairTimeBox(windowEntry.txtHoursW, windowEntry.vsbHoursW);
    pairTimeBox(windowEntry.txtMinutesW, windowEntry.vsbMinutesW);
    pairTimeBox(windowEntry.txtSecondsW, windowEntry.vsbSecondsW);

    cmdSetWindow.onClick = [this] {
        setWindowWarningArmed(false);
        SetLaunchWindow();
    };
    mnuSetLaunchWindow.onClick = [this] { SetLaunchWindow(); };
    // The box is the edit: a click, the menu, a script or a file changes it, and the change
    // applies. The window's own rendering of the box changes nothing.
    chkLaunchWindowActive.onClick = [this] {
        if (!m_captions.rendering)
            ApplyLaunchWindowActive();
    };
    mnuActiveLaunchWindow.onClick = [this] {
        chkLaunchWindowActive.setValue(m_state.window().active ? 0 : 1);
    };

    tmrLaunchWindow.onTimer = [this] {
        // A built-in hold within its planned length does not use the window up.
        if (!m_state.held() || (m_state.builtInHeld() && m_state.plan().left() > 0))
            return;
        if (m_state.window().active)
            UpdateHeldWindow(services().clock.instant());
        else {
            m_state.setWindowConsuming(false);
            render();
        }
    };
    lblWindowWarning.onClick = [this] {
        lblWindowWarning.setVisible(false);
        setWindowWarningArmed(false);
    };

    onMouseDown = [this](MouseButton) { CheckWindowLock(); };
    pctLaunchTime.onClick = [this] { CheckWindowLock(); };
    pctLaunchWindow.onClick = [this] { CheckWindowLock(); };
}

void frmOrvane::SetLaunchWindow() {
    const std::string before = m_captions.windowText;
    SetLaunchWindowEntry();
    if (m_captions.windowText != before)
        raiseWindowHappening(Happening::Kind::LaunchWindowSet);
}

void frmOrvane::raiseWindowHappening(Happening::Kind kind) {
    // The happening carries the window's state in seconds; its text is the window's own.
    Happening h = happening(kind);
    h.windowText = m_captions.windowText;
    m_app.raise(h);
}

void frmOrvane::SetLaunchWindowEntry() {
    const std::optional<std::int64_t> entry = GetWindowEntry();
    if (!entry)
        return;
    const Answer answer = services().dialogs.messageBox(
        "Are you sure you want to enter " + formatDate(DateTime::fromSeconds(*entry), "h:mm:ss") +
            " as your new Launch Window?",
        Buttons::YesNo, Icon::Question, "Set Launch Time");
    if (answer != Answer::Yes) {
        // The scroll bars go back to 0 with their boxes, so that the next click in a box
        // counts up from what it shows.
        for (auto [box, bar] : {std::pair{&windowEntry.txtSecondsW, &windowEntry.vsbSecondsW},
                                {&windowEntry.txtMinutesW, &windowEntry.vsbMinutesW},
                                {&windowEntry.txtHoursW, &windowEntry.vsbHoursW}}) {
            bar->setValue(0);
            box->setText("00");
        }
        return;
    }

    const auto setWindow = [this, &entry](bool withBudget) {
        m_captions.windowCounted = false;
        if (withBudget)
            m_state.setWindow(*entry);
        else
            m_state.setWindowLeft(*entry);
    };
    if (m_state.armed()) {
        const bool wasHeld = m_state.held();
        if (ConfirmWindowChange()) {
            setWindow(true);
            if (wasHeld)
                m_state.setWindowConsuming(true);
        }
    } else if (TminusSec() > 0) {
        if (ConfirmWindowChange())
            setWindow(true);
    } else if (TminusSec() < 0) {
        if (ConfirmWindowChange()) {
            services().dialogs.messageBox(
                "You must set a Launch Window BEFORE launch for it to take effect.  Your new "
                "Launch Window time will be displayed but will not function.",
                Buttons::OK, Icon::Information, MessageTitle);
            setWindow(false);
        }
    }
    render();
}

std::optional<std::int64_t> frmOrvane::GetWindowEntry() {
    return ReadTimeEntry(windowEntry.txtHoursW, windowEntry.txtMinutesW, windowEntry.txtSecondsW);
}

bool frmOrvane::ConfirmWindowChange() {
    if (!m_state.window().active)
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
    const bool active = chkLaunchWindowActive.value() == 1;
    m_state.setWindowActive(active);
    lblLaunchWindow.setBackColor(active ? LightGrey : ButtonFace);
    lblLaunchWindow.setBorderStyle(active ? 1 : 0);
    if (active) {
        const Instant now = services().clock.instant();
        m_state.setWindowStart(zone().toLocal(now));
        if (!m_state.window().consuming)
            m_state.setWindowConsuming(true);
        else
            m_state.bankWindow();
    } else if (m_state.window().consuming) {
        // What is left of the window is banked for the next time it is made active.
        m_state.setWindowConsuming(false);
        m_state.bankWindow();
    }
    render();
}

void frmOrvane::UpdateHeldWindow(Instant now) {
    const LaunchState::Consumed consumed =
        m_state.consumeWindow(now, services().clock.monotonicMs(), zone());
    if (consumed == LaunchState::Consumed::Unchanged) {
        render();
        return;
    }
    // Used up, what is left shows as a time of day counted down.
    m_captions.windowCounted = true;
    render();
    if (consumed != LaunchState::Consumed::Expired)
        return;
    // The timer is off and the panels are locked before the message goes up, so nothing
    // can report the expiry a second time while the message is open or after it.
    raiseWindowHappening(Happening::Kind::WindowExpired);
    // The lock is the leader's own: a follower shows the expiry and goes on following.
    if (m_following)
        return;
    services().dialogs.messageBox("Your Launch Window has expired.  You must reschedule a new "
                                  "Launch Date.  Press OK then the Esc key to exit the program.",
                                  Buttons::OK, Icon::Exclamation, MessageTitle);
}

void frmOrvane::UpdateWindowWarning() {
    const bool due = m_state.windowWarningDue();
    const bool wasShown = lblWindowWarning.visible();
    lblWindowWarning.setVisible(due);
    if (due && !wasShown)
        raiseWindowHappening(Happening::Kind::WindowWarned);
}

// The warning label's tag shows the same state.
void frmOrvane::setWindowWarningArmed(bool armed) {
    m_state.setWindowWarningArmed(armed);
    lblWindowWarning.setTag(armed ? "On" : "Off");
}

// After expiry the user must restart; leaving goes through the exit path so that nothing
// unsaved is lost. Should the user stay there, the surfaces stay locked.
void frmOrvane::CheckWindowLock() {
    if (!m_state.window().expired || m_following)
        return;
    const std::string& title = m_app.info().title;
    services().dialogs.messageBox("You must exit " + title + " and restart the program.",
                                  Buttons::OK, Icon::Critical, title);
    ConfirmExit(true);
}

} // namespace orvane
