// A follower's main window: the count is the leader's, so nothing here may change it, and no
// launch data file is read or written.

#include "app.h"
#include "clock/frmOrvane.h"
#include "colors.h"

#include <initializer_list>

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
             &mnuHoldEnable, &mnuHold, &mnuRtHold, &mnuRtHoldEnable, &mnuSimTime})
        c->setEnabled(false);
}

void frmOrvane::setFollowedLaunch(Instant launch) {
    const TimeZone zone = services().clock.zone();
    stamp(lblTarget, m_launchTime, zone.toLocal(launch), "mmmm d, yyyy   h:mm:ss AM/PM");
}

// The window's own hold and launch window rules run on the leader's values, so the follower's
// hold, resume, launch time and window are told to its own listeners as a leader's are.
void frmOrvane::FollowLeader(const Followed& leader) {
    const Instant now = services().clock.instant();
    const bool launchMoved = !m_launchTime || launchMoment() != leader.launch;
    if (leader.held) {
        if (launchMoved)
            setFollowedLaunch(leader.launch);
        if (!m_held)
            StartHold();
        else if (launchMoved)
            RestampHold();
    } else {
        if (m_held)
            ResumeCount();
        if (!m_launchTime || launchMoment() != leader.launch) {
            setFollowedLaunch(leader.launch);
            ShowCount(now);
        }
    }

    const bool active = chkLaunchWindowActive.value() == 1;
    if (active != leader.windowActive)
        chkLaunchWindowActive.setValue(leader.windowActive ? 1 : 0);
    if (lblLaunchWindow.caption() != leader.windowText && !leader.windowText.empty()) {
        // What is left of the window goes on being used up from the leader's value, from now.
        lblLaunchWindow.setCaption(leader.windowText);
        lblLaunchWindowStamp.setCaption(leader.windowText);
        stamp(lblNowStampWindow, m_windowStart, services().clock.zone().toLocal(now),
              "General Date");
    }
    greyForLeader();
}

void frmOrvane::ShowFollowStatus(const std::string& text, bool warn, const std::string& tip) {
    StatusPanel& panel = *sbrStatusBar.panel("pnlCurrentFile");
    panel.setText(text);
    panel.setToolTipText(tip);
    panel.setBackColor(warn ? Amber : ButtonFace);
}

} // namespace orvane
