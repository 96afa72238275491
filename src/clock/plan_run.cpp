#include "clock/plan_run.h"

#include "app.h"
#include "callouts/callouts.h"
#include "clock/frmOrvane.h"
#include "clock/frmPlan.h"

namespace orvane {

namespace {

// "L - 000 01:05:00", as the main count is written, "L + ..." from liftoff on.
std::string lCountText(std::int64_t secondsToLiftoff) {
    std::string text = ShownCount::fromSecondsToLaunch(secondsToLiftoff).text();
    text[0] = 'L';
    return text;
}

} // namespace

void PlanRun::counted(frmOrvane& f, Instant now) {
    LaunchState& s = f.m_state;
    if (!s.held() && !f.m_following && now < f.launchMoment())
        if (const auto due = s.plan().holdDueAt(f.m_shownTminus)) {
            s.beginBuiltInHold(*due, 0, now, f.services().clock.monotonicMs(), f.zone());
            f.m_captions.targetStampCopiesLaunch = true;
            f.render();
            f.cmdHoldResume.setEnabled(true);
            f.mnuHold.setEnabled(true);
            f.mnuRtHold.setEnabled(true);
            f.mnuHoldEnable.setEnabled(false);
            f.mnuRtHoldEnable.setEnabled(false);
            f.m_app.setEventCountDownHeld(true);
            Happening h = f.happening(Happening::Kind::BuiltInHold);
            h.holdLabel = due->label;
            h.plannedSeconds = due->lengthSeconds;
            f.m_app.raise(h);
        }
    show(f, now);
}

void PlanRun::held(frmOrvane& f, Instant now) {
    LaunchState& s = f.m_state;
    if (!s.builtInHeld())
        return show(f, now);
    s.passBuiltInHold(f.services().clock.monotonicMs());
    CountdownPlan& plan = s.plan();
    if (plan.due())
        return end(f, now);
    // Past the planned end of one that waits, the launch window is used up from that end on.
    if (plan.takePlannedEnd()) {
        s.bankWindow();
        s.setWindowStart(f.zone().toLocal(now.addSeconds(plan.left())));
        if (s.window().active)
            s.setWindowConsuming(true);
        f.render();
        f.setWindowWarningArmed(true);
    }
    show(f, now);
}

void PlanRun::end(frmOrvane& f, Instant now) {
    LaunchState& s = f.m_state;
    f.UpdateHeldTarget(now);
    s.passBuiltInHold(f.services().clock.monotonicMs());
    Happening h = f.happening(Happening::Kind::BuiltInHoldEnd);
    h.holdLabel = s.plan().standing()->label;
    h.plannedSeconds = s.plan().standingPlanned();
    h.heldSeconds = s.plan().standingElapsed();
    h.newLaunch = f.launchMoment();
    if (s.window().consuming && s.window().active)
        f.UpdateHeldWindow(now);
    s.endBuiltInHold();
    f.LeaveHold(now);
    f.SetHoldArmed(s.armed());
    h.shown = f.m_shown;
    f.m_app.raise(h);
    show(f, now);
}

void PlanRun::setLiftoff(frmOrvane& f, const DateTime& liftoff) {
    LaunchState& s = f.m_state;
    const Instant now = f.services().clock.instant();
    const bool wasHeld = s.held();
    // A built-in hold standing now gives way to where the new liftoff puts the count, and
    // the journal hears that it ended.
    if (s.builtInHeld()) {
        s.passBuiltInHold(f.services().clock.monotonicMs());
        Happening ended = f.happening(Happening::Kind::BuiltInHoldEnd);
        ended.holdLabel = s.plan().standing()->label;
        ended.plannedSeconds = s.plan().standingPlanned();
        ended.heldSeconds = s.plan().standingElapsed();
        f.m_app.raise(ended);
    }
    if (s.setLiftoff(LocalTime{liftoff}, now, f.services().clock.monotonicMs(), f.zone())) {
        // The present falls inside a hold: the count enters it now.
        f.m_captions.targetStampCopiesLaunch = true;
        f.render();
        f.cmdHoldResume.setEnabled(true);
        f.m_app.setEventCountDownHeld(true);
        Happening h = f.happening(Happening::Kind::BuiltInHold);
        h.holdLabel = s.plan().standing()->label;
        h.plannedSeconds = s.plan().standing()->lengthSeconds;
        f.ShowCount(now);
        h.shown = f.m_shown;
        f.m_app.raise(h);
    } else if (wasHeld && !s.held()) {
        f.LeaveHold(now);
        f.SetHoldArmed(s.armed());
    }
}

void PlanRun::planChanged(frmOrvane& f) {
    if (auto* editor = static_cast<frmPlan*>(f.m_app.loadedDialog(App::Dialog::Plan)))
        editor->ShowPlan();
    // An opened plan brings its own callouts; a closed one takes them with it.
    f.m_app.callouts().entriesChanged();
    show(f, f.services().clock.instant());
}

std::string PlanShown::holdText() const {
    return holdLabel.value_or("") + "  " +
           (holdLeft >= 0 ? formatHms(holdLeft) : "+" + formatHms(-holdLeft));
}

std::optional<PlanShown> PlanRun::shown(const frmOrvane& f, Instant now) {
    const LaunchState& s = f.m_state;
    PlanShown p;
    if (f.m_following) {
        const auto& leader = s.leaderPlan();
        if (!leader)
            return std::nullopt;
        const std::int64_t second = now.unixSeconds();
        p.liftoff = Instant::fromUnixSeconds(leader->liftoffAt(second));
        p.holdLabel = leader->holdLabel;
        p.holdLeft = leader->holdLeftAt(second);
    } else {
        if (s.plan().empty() && !s.plan().standing())
            return std::nullopt;
        p.liftoff = s.liftoffMoment(now, f.zone());
        if (s.builtInHeld()) {
            p.holdLabel = s.plan().standing()->label;
            p.holdLeft = s.plan().left();
        }
    }
    p.liftoffWall = f.zone().toWall(p.liftoff);
    p.lCount = lCountText(secondsBetween(now, p.liftoff));
    return p;
}

void PlanRun::show(frmOrvane& f, Instant now) {
    const LaunchState& s = f.m_state;
    const std::optional<PlanShown> plan = shown(f, now);
    f.lblLCount.setVisible(plan.has_value());
    f.lblLiftoff.setVisible(plan.has_value());
    f.lblBuiltInHold.setVisible(plan && plan->holdLabel);
    // Only a hold that ends by itself can be extended or made to wait.
    f.mnuExtendHold.setEnabled(!f.m_following && s.builtInHeld() && !s.plan().standing()->waits);
    // With a plan, the time the user enters is liftoff.
    const bool planned = !s.plan().empty() || s.plan().standing();
    f.Label11.setCaption(planned ? "Liftoff Time (Local Zone)" : "Launch Time (Local Zone)");
    if (!plan)
        return;
    f.lblLCount.setCaption(plan->lCount);
    f.lblLiftoff.setCaption(formatDate(plan->liftoffWall, "mmmm dd, yyyy   h:mm:ss AM/PM"));
    if (plan->holdLabel)
        f.lblBuiltInHold.setCaption(plan->holdText());
}

} // namespace orvane
