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

std::optional<std::int64_t> timeOfDayOf(const std::string& text) {
    const std::optional<DateTime> t = toDateTime(text);
    return t ? std::optional(t->timeOfDay()) : std::nullopt;
}

std::string generalDate(const std::optional<LocalTime>& t) {
    return t ? formatDate(t->wall, GeneralDate) : std::string();
}

} // namespace

void frmOrvane::wireRender() {
    m_launchText = lblTarget.caption();
    m_shownLaunchTime = readLocalTime(m_launchText);
    m_state.setLaunchTime(m_shownLaunchTime);
    m_windowText = lblLaunchWindow.caption();
    m_shownWindowLeft = timeOfDayOf(m_windowText);
    m_state.setWindowLeft(m_shownWindowLeft);
    takeEdit(lblTarget, &frmOrvane::takeLaunchTimeEdit);
    takeEdit(lblNowStamp, &frmOrvane::takeHoldStampEdit);
    takeEdit(lblTargetStamp, &frmOrvane::takeHoldStampEdit);
    takeEdit(lblLaunchWindow, &frmOrvane::takeWindowEdit);
    takeEdit(lblLaunchWindowStamp, &frmOrvane::takeWindowStampEdit);
    takeEdit(lblNowStampWindow, &frmOrvane::takeWindowStampEdit);
}

void frmOrvane::takeEdit(Label& label, void (frmOrvane::*take)()) {
    label.onChange = [this, take] {
        if (m_rendering)
            return;
        (this->*take)();
        render();
    };
}

// A caption read afresh to the same wall time keeps the occurrence the program worked out. The
// text stays as written until the launch time moves.
void frmOrvane::takeLaunchTimeEdit() {
    m_launchPattern = m_shownLaunchPattern = nullptr;
    m_launchText = lblTarget.caption();
    m_shownLaunchTime = readLocalTime(m_launchText, m_state.launchTime());
    m_state.setLaunchTime(m_shownLaunchTime);
}

void frmOrvane::takeHoldStampEdit() {
    m_shownHoldStart = readLocalTime(lblNowStamp.caption(), m_state.holdStart());
    m_shownHoldTarget = readLocalTime(lblTargetStamp.caption(), m_state.holdTarget());
    m_state.setHoldStart(m_shownHoldStart);
    m_state.setHoldTarget(m_shownHoldTarget);
}

void frmOrvane::takeWindowEdit() {
    m_windowTextChanged = true;
    m_windowText = lblLaunchWindow.caption();
    m_windowCounted = false;
    m_shownWindowLeft = timeOfDayOf(m_windowText);
    m_state.setWindowLeft(m_shownWindowLeft);
}

void frmOrvane::takeWindowStampEdit() {
    m_shownWindowBudget = timeOfDayOf(lblLaunchWindowStamp.caption());
    m_shownWindowStart = readLocalTime(lblNowStampWindow.caption(), m_state.window().start);
    m_state.setWindowBudget(m_shownWindowBudget);
    m_state.setWindowStart(m_shownWindowStart);
}

void frmOrvane::render() {
    const bool outer = !m_rendering;
    m_rendering = true;
    renderLaunchTime();
    renderHold();
    renderWindow();
    if (outer)
        m_rendering = false;
    // The warning follows what is left of the window as it is shown, whoever changed it.
    if (std::exchange(m_windowTextChanged, false))
        UpdateWindowWarning();
}

void frmOrvane::renderLaunchTime() {
    const std::optional<LocalTime>& launch = m_state.launchTime();
    if (launch == m_shownLaunchTime && m_launchPattern == m_shownLaunchPattern)
        return;
    m_shownLaunchTime = launch;
    m_shownLaunchPattern = m_launchPattern;
    if (!launch)
        return;
    m_launchText = formatDate(launch->wall, m_launchPattern ? m_launchPattern : MovedLaunch);
    lblTarget.setCaption(m_launchText);
}

void frmOrvane::renderHold() {
    if (m_state.holdStart() != m_shownHoldStart) {
        m_shownHoldStart = m_state.holdStart();
        lblNowStamp.setCaption(generalDate(m_shownHoldStart));
    }
    if (m_state.holdTarget() != m_shownHoldTarget ||
        m_targetStampCopiesLaunch != m_shownTargetStampCopies) {
        m_shownHoldTarget = m_state.holdTarget();
        m_shownTargetStampCopies = m_targetStampCopiesLaunch;
        lblTargetStamp.setCaption(m_targetStampCopiesLaunch && m_shownHoldTarget == m_shownLaunchTime
                                      ? m_launchText
                                      : generalDate(m_shownHoldTarget));
    }
    const bool held = m_state.held();
    if (held != m_shownHeld) {
        m_shownHeld = held;
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
    const std::string text =
        m_windowCounted && w.left ? formatDate(DateTime::fromSeconds(*w.left), "hh:mm:ss")
        : w.left == m_shownWindowLeft ? m_windowText
        : w.left                      ? formatDate(DateTime::fromSeconds(*w.left), "h:mm:ss")
                                      : m_windowText;
    m_shownWindowLeft = w.left;
    m_windowTextChanged = m_windowTextChanged || text != m_windowText;
    m_windowText = text;
    lblLaunchWindow.setCaption(text);
    if (w.budget != m_shownWindowBudget) {
        m_shownWindowBudget = w.budget;
        lblLaunchWindowStamp.setCaption(
            w.budget == w.left ? text
            : w.budget         ? formatDate(DateTime::fromSeconds(*w.budget), "hh:mm:ss")
                               : std::string());
    }
    if (w.start != m_shownWindowStart) {
        m_shownWindowStart = w.start;
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
    s.text = m_windowText;
    s.leftSeconds = w.left;
    s.budgetSeconds = w.budget;
    s.warningShown = lblWindowWarning.visible();
    s.expired = w.expired;
    return s;
}

} // namespace orvane
