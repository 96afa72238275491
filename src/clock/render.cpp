// The launch state as the main window shows it: the launch time, the hold's hidden stamps, the
// hold button and menus, and the launch window. Everything here writes captions from the
// state; the only captions read are those an edit just wrote, to take them into the state.

#include "app.h"
#include "clock/frmOrvane.h"
#include "colors.h"

#include <utility>

namespace orvane {

namespace {

constexpr const char* GeneralDate = "General Date";
constexpr const char* MovedLaunch = "mmmm d, yyyy   h:mm:ss AM/PM";

std::string generalDate(const std::optional<LocalTime>& t) {
    return t ? formatDate(t->wall, GeneralDate) : std::string();
}

} // namespace

// The captions start as designed, and show the launch state from then on: a fresh state is
// the designed one, so nothing changes unless the state moved before the window was loaded.
void frmOrvane::wireRender() {
    m_captions.launchText = lblTarget.caption();
    m_captions.shownLaunchTime = readLocalTime(m_captions.launchText);
    m_captions.windowText = lblLaunchWindow.caption();
    m_captions.shownWindowLeft = toTimeOfDay(m_captions.windowText);
    takeEdit(lblTarget, &frmOrvane::takeLaunchTimeEdit);
    takeEdit(lblNowStamp, &frmOrvane::takeHoldStampEdit);
    takeEdit(lblTargetStamp, &frmOrvane::takeHoldStampEdit);
    takeEdit(lblLaunchWindow, &frmOrvane::takeWindowEdit);
    takeEdit(lblLaunchWindowStamp, &frmOrvane::takeWindowStampEdit);
    takeEdit(lblNowStampWindow, &frmOrvane::takeWindowStampEdit);
    render();
}

void frmOrvane::takeEdit(Label& label, void (frmOrvane::*take)()) {
    label.onChange = [this, take] {
        if (m_captions.rendering)
            return;
        (this->*take)();
        render();
    };
}

// A caption read afresh to the same wall time keeps the occurrence the program worked out. The
// text stays as written until the launch time moves.
void frmOrvane::takeLaunchTimeEdit() {
    m_captions.launchPattern = m_captions.shownLaunchPattern = nullptr;
    m_captions.launchText = lblTarget.caption();
    m_captions.shownLaunchTime = readLocalTime(m_captions.launchText, m_state.launchTime());
    m_state.setLaunchTime(m_captions.shownLaunchTime);
}

void frmOrvane::takeHoldStampEdit() {
    m_captions.shownHoldStart = readLocalTime(lblNowStamp.caption(), m_state.holdStart());
    m_captions.shownHoldTarget = readLocalTime(lblTargetStamp.caption(), m_state.holdTarget());
    m_state.setHoldStart(m_captions.shownHoldStart);
    m_state.setHoldTarget(m_captions.shownHoldTarget);
}

void frmOrvane::takeWindowEdit() {
    m_captions.windowTextChanged = true;
    m_captions.windowText = lblLaunchWindow.caption();
    m_captions.windowCounted = false;
    m_captions.shownWindowLeft = toTimeOfDay(m_captions.windowText);
    m_state.setWindowLeft(m_captions.shownWindowLeft);
}

void frmOrvane::takeWindowStampEdit() {
    m_captions.shownWindowBudget = toTimeOfDay(lblLaunchWindowStamp.caption());
    m_captions.shownWindowStart =
        readLocalTime(lblNowStampWindow.caption(), m_state.window().start);
    m_state.setWindowBudget(m_captions.shownWindowBudget);
    m_state.setWindowStart(m_captions.shownWindowStart);
}

void frmOrvane::render() {
    const bool outer = !m_captions.rendering;
    m_captions.rendering = true;
    renderLaunchTime();
    renderHold();
    renderWindow();
    if (outer)
        m_captions.rendering = false;
    // The warning follows what is left of the window as it is shown, whoever changed it.
    if (std::exchange(m_captions.windowTextChanged, false))
        UpdateWindowWarning();
}

void frmOrvane::renderLaunchTime() {
    const std::optional<LocalTime>& launch = m_state.launchTime();
    if (launch == m_captions.shownLaunchTime &&
        m_captions.launchPattern == m_captions.shownLaunchPattern)
        return;
    m_captions.shownLaunchTime = launch;
    m_captions.shownLaunchPattern = m_captions.launchPattern;
    if (!launch)
        return;
    m_captions.launchText =
        formatDate(launch->wall, m_captions.launchPattern ? m_captions.launchPattern : MovedLaunch);
    lblTarget.setCaption(m_captions.launchText);
}

void frmOrvane::renderHold() {
    if (m_state.holdStart() != m_captions.shownHoldStart) {
        m_captions.shownHoldStart = m_state.holdStart();
        lblNowStamp.setCaption(generalDate(m_captions.shownHoldStart));
    }
    if (m_state.holdTarget() != m_captions.shownHoldTarget ||
        m_captions.targetStampCopiesLaunch != m_captions.shownTargetStampCopies) {
        m_captions.shownHoldTarget = m_state.holdTarget();
        m_captions.shownTargetStampCopies = m_captions.targetStampCopiesLaunch;
        lblTargetStamp.setCaption(m_captions.targetStampCopiesLaunch &&
                                          m_captions.shownHoldTarget == m_captions.shownLaunchTime
                                      ? m_captions.launchText
                                      : generalDate(m_captions.shownHoldTarget));
    }
    const bool held = m_state.held();
    if (held != m_captions.shownHeld) {
        m_captions.shownHeld = held;
        const char* action = held ? "&Resume" : "&Hold";
        cmdHoldResume.setCaption(action);
        mnuRtHold.setCaption(action);
        mnuHold.setCaption(action);
        cmdHoldResume.setToolTipText(held ? "Click here to RESUME the count."
                                          : "Click here to HOLD the count.");
        SetDigitColor(held ? Yellow : LightGrey);
        // The shown count freezes in a hold; the launch time moves with the clock instead.
        tmrCountdown.setEnabled(!held);
        tmrHold.setEnabled(held);
    }
    const char* enable = m_state.armed() ? "Hold Disable" : "Hold Enable";
    mnuHoldEnable.setCaption(enable);
    mnuRtHoldEnable.setCaption(enable);
}

void frmOrvane::renderWindow() {
    const LaunchState::Window& w = m_state.window();
    const std::string text = m_captions.windowCounted && w.left
                                 ? formatDate(DateTime::fromSeconds(*w.left), "hh:mm:ss")
                             : w.left == m_captions.shownWindowLeft ? m_captions.windowText
                             : w.left ? formatDate(DateTime::fromSeconds(*w.left), "h:mm:ss")
                                      : m_captions.windowText;
    m_captions.shownWindowLeft = w.left;
    m_captions.windowTextChanged = m_captions.windowTextChanged || text != m_captions.windowText;
    m_captions.windowText = text;
    lblLaunchWindow.setCaption(text);
    if (w.budget != m_captions.shownWindowBudget) {
        m_captions.shownWindowBudget = w.budget;
        lblLaunchWindowStamp.setCaption(
            w.budget == w.left ? text
            : w.budget         ? formatDate(DateTime::fromSeconds(*w.budget), "hh:mm:ss")
                               : std::string());
    }
    if (w.start != m_captions.shownWindowStart) {
        m_captions.shownWindowStart = w.start;
        lblNowStampWindow.setCaption(generalDate(w.start));
    }
    chkLaunchWindowActive.setValue(w.active ? 1 : 0);
    mnuActiveLaunchWindow.setChecked(w.active);
    tmrLaunchWindow.setEnabled(w.consuming);
    if (w.expired) {
        setTag("Off");
        pctLaunchWindow.setTag("Off");
        pctLaunchTime.setTag("Off");
    }
}

// ---- the window's typed faces, read from the state ----

TimeZone frmOrvane::zone() const {
    return services().clock.zone();
}

DateTime frmOrvane::launchTime() const {
    return m_state.launchTime() ? m_state.launchTime()->wall : DateTime{};
}

bool frmOrvane::hasLaunchTime() const {
    return m_state.launchTime().has_value();
}

bool frmOrvane::holdArmed() const {
    return m_state.armed();
}

bool frmOrvane::held() const {
    return m_state.held();
}

Instant frmOrvane::launchMoment() const {
    return m_state.launchMoment(zone());
}

frmOrvane::LaunchWindowState frmOrvane::launchWindow() const {
    const LaunchState::Window& w = m_state.window();
    LaunchWindowState s;
    s.active = w.active;
    s.text = m_captions.windowText;
    s.leftSeconds = w.left;
    s.budgetSeconds = w.budget;
    s.warningShown = lblWindowWarning.visible();
    s.expired = w.expired;
    return s;
}

} // namespace orvane
