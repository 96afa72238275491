// A follower's main window: the count is the leader's, so nothing here may change it, and no
// launch data file is read or written.

#include "app.h"
#include "clock/frmOrvane.h"
#include "colors.h"

#include <initializer_list>
#include <utility>

namespace orvane {

void frmOrvane::setFollowing(bool following) {
    m_following = following;
    if (following)
        greyForLeader();
}

void frmOrvane::greyForLeader() {
    if (!m_following)
        return;
    for (Control* c : std::initializer_list<Control*>{
             &pctLaunchTime, &pctLaunchWindow, &cmdHoldResume, &mnuOpen, &mnuSave, &mnuSaveAs,
             &mnuRevert, &mnuSetLaunchTime, &mnuSetLaunchWindow, &mnuActiveLaunchWindow,
             &mnuHoldEnable, &mnuHold, &mnuRtHold, &mnuRtHoldEnable, &mnuSimTime, &mnuExtendHold,
             &planMenus.mnuOpenPlan, &planMenus.mnuEditPlan, &planMenus.mnuClosePlan})
        c->setEnabled(false);
}

// The entry boxes, greyed, show the launch time too, as they would after the leader's entry.
void frmOrvane::setFollowedLaunch(Instant launch) {
    const LocalTime local = zone().toLocal(launch);
    m_state.setLaunchTime(local);
    showLaunchTimeAs("mmmm d, yyyy   h:mm:ss AM/PM");
    render();
    txtLaunchDate.setText(formatDate(local.wall, "mmm d, yyyy"));
    vsbHours.setValue(local.wall.hour());
    vsbMinutes.setValue(local.wall.minute());
    vsbSeconds.setValue(local.wall.second());
}

// The window's own hold and launch window rules run on the leader's values, so the follower's
// hold, resume, launch time and window are told to its own listeners as a leader's are.
void frmOrvane::FollowLeader(const Followed& leader) {
    const Instant now = services().clock.instant();
    const bool firstWord = !std::exchange(m_leaderHeard, true);
    const auto launchMoved = [&] { return !hasLaunchTime() || launchMoment() != leader.launch; };
    if (leader.held) {
        const bool moved = launchMoved();
        if (moved)
            setFollowedLaunch(leader.launch);
        if (!m_state.held())
            StartHold();
        else if (moved)
            RestampHold();
    } else {
        if (m_state.held())
            ResumeCount();
        if (launchMoved()) {
            setFollowedLaunch(leader.launch);
            ShowCount(now);
        } else if (firstWord) {
            ShowCount(now);
        }
    }

    if (m_state.window().active != leader.windowActive)
        chkLaunchWindowActive.setValue(leader.windowActive ? 1 : 0);
    const bool textMoved = !leader.windowText.empty() && leader.windowText != m_captions.windowText;
    if (leader.windowLeft && (textMoved || leader.windowLeft != m_state.window().left)) {
        // What is left of the window goes on being used up from the leader's value, from now,
        // and shows as the leader shows it.
        m_state.setWindow(*leader.windowLeft);
        m_state.setWindowStart(zone().toLocal(now));
        m_captions.windowCounted = false;
        if (textMoved)
            m_captions.windowText = leader.windowText;
        m_captions.shownWindowLeft = leader.windowLeft;
        render();
    }
    greyForLeader();
}

std::optional<std::string> frmOrvane::leaderNotHeard() const {
    if (!m_following || m_leaderHeard)
        return std::nullopt;
    return m_followStatus.empty() ? std::string("Leader not heard yet") : m_followStatus;
}

void frmOrvane::ShowFollowStatus(const std::string& text, bool warn, const std::string& tip) {
    m_followStatus = text;
    StatusPanel& panel = *sbrStatusBar.panel("pnlCurrentFile");
    panel.setText(text);
    panel.setToolTipText(tip);
    panel.setBackColor(warn ? Amber : ButtonFace);
}

} // namespace orvane
