#pragma once

// The countdown plan on the main window: a built-in hold begins where the count reaches its
// T-time and ends by itself or on Resume, and the window shows the L count, liftoff and the
// hold standing. Kept apart from frmOrvane's own files, which it reaches as a friend.

#include "dates/zone.h"
#include "model/countdown_plan.h"

#include <string>

namespace orvane {

class frmOrvane;

struct PlanRun {
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
