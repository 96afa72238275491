#pragma once

// The countdown plan on the main window: a built-in hold begins where the count reaches its
// T-time and ends by itself or on Resume, and the window shows the L count, liftoff and the
// hold standing. Kept apart from frmOrvane's own files, which it reaches as a friend.

#include "dates/zone.h"
#include "model/countdown_plan.h"
#include "toolkit/controls.h"

#include <optional>
#include <string>

namespace orvane {

class frmOrvane;

// The File menu's plan commands, made in their place in the menu.
struct PlanMenus {
    PlanMenus(Form* form, MenuItem* file)
        : mnuOpenPlan(form, "mnuOpenPlan", file, "Open &Plan . . ."),
          mnuEditPlan(form, "mnuEditPlan", file, "&Edit Plan . . ."),
          mnuSavePlan(form, "mnuSavePlan", file, "Save Plan As . . ."),
          mnuClosePlan(form, "mnuClosePlan", file, "Close Plan") {}
    MenuItem mnuOpenPlan, mnuEditPlan, mnuSavePlan, mnuClosePlan;
};

// What the windows and pages show of the plan at a moment: liftoff, the L count and the
// built-in hold standing, if any.
struct PlanShown {
    Instant liftoff;
    DateTime liftoffWall; // in the main window's zone
    std::string lCount;   // "L - 000 01:05:00", as the main count is written
    std::optional<std::string> holdLabel;
    std::int64_t holdLeft = 0; // negative past the planned end of one that waits
    // The label, two blanks and the time left as h:mm:ss, or "+" and the overrun.
    std::string holdText() const;
};

struct PlanRun {
    // The plan as shown at NOW: the window's own, or a follower's leader's; none without one.
    static std::optional<PlanShown> shown(const frmOrvane& f, Instant now);
    // After the count shows a second: a built-in hold due there begins.
    static void counted(frmOrvane& f, Instant now);
    // A second of a hold: a built-in hold's time passes, and one whose time is up ends.
    static void held(frmOrvane& f, Instant now);
    // Resume during a built-in hold ends it early.
    static void end(frmOrvane& f, Instant now);
    // The launch time the user entered is liftoff (with a plan).
    static void setLiftoff(frmOrvane& f, const DateTime& liftoff);
    // The plan changed (opened, edited, closed): the launch time stays, liftoff follows.
    static void planChanged(frmOrvane& f);
    // The File menu's plan commands, and the plan opened last, opened again at start-up.
    static void wire(frmOrvane& f);
    static void reopenLast(frmOrvane& f);
    // Opens the plan file PATH, or tells the user what is wrong with it and changes nothing.
    static bool open(frmOrvane& f, const std::string& path);
    // The L count, liftoff and the standing hold as the window shows them at NOW.
    static void show(frmOrvane& f, Instant now);
};

} // namespace orvane
