#pragma once

// The count presented on a whole monitor, to be read across a room: a frameless window that
// covers the monitor with the sign, the days when there are any, hours, minutes and seconds as
// large as the monitor allows, and the launch time beneath. It turns in the same round as the
// main window. Esc or a double click leaves it. With several monitors frmPresentScreen asks
// which one, and the choice is remembered. On one monitor it is the only window in sight, so it
// takes the main window's hold commands itself: the space bar holds and resumes once holds are
// armed, Ctrl+D arms them, and its right-click menu offers both. A hold is said in words,
// HOLD beside the sign. With a countdown plan the L count and liftoff's time of day stand
// beneath the count.

#include "dates/datetime.h"
#include "toolkit/controls.h"
#include "toolkit/displays.h"
#include "toolkit/form.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orvane {

class App;

// The count as the main window shows it, for the present window.
struct PresentedCount {
    bool afterLiftoff = false;
    std::int64_t seconds = 0; // from the launch or to it, never negative
    bool held = false;
    DateTime launch;
    // With a plan: the L count and liftoff's time of day.
    std::optional<std::string> lCount, liftoff;
};
PresentedCount countToPresent(App& app);

class frmPresent : public Form {
  public:
    explicit frmPresent(App& app);

    // Covers the monitor and lays the count out over it.
    void coverMonitor(const Monitor& monitor);

    Label lblTMinus{this, "lblTMinus"};
    Label lblDays{this, "lblDays"};
    Label lblClock{this, "lblClock"};
    Label lblTarget{this, "lblTarget"};
    Label lblHold{this, "lblHold"};
    Label lblLCount{this, "lblLCount"};
    Label lblLiftoff{this, "lblLiftoff"};
    Timer tmrPresent{this, "tmrPresent", 1, true};

    MenuItem mnuPresentPopUp{this, "mnuPresentPopUp", nullptr, "&PresentMenu"};
    MenuItem mnuPrHold{this, "mnuPrHold", &mnuPresentPopUp, "&Hold"};
    MenuItem mnuPrHoldEnable{this, "mnuPrHoldEnable", &mnuPresentPopUp, "Hold Enable", "Ctrl+D"};
    MenuItem mnuPrSep{this, "mnuPrSep", &mnuPresentPopUp, "-"};
    MenuItem mnuPrLeave{this, "mnuPrLeave", &mnuPresentPopUp, "Leave Present Count"};

  private:
    void layOut();
    void ShowPresentCount();
    // The two hold commands as the main window offers them now: caption and whether they
    // can be given.
    void ShowHoldCommands();
    // Gives the main window's command NAME, as a click on it there would, when it can be given.
    void PressMainCommand(const char* name);
    void Leave();

    App& m_app;
};

// Which monitor to present the count on, when there are several.
class frmPresentScreen : public Form {
  public:
    static constexpr int MaxMonitors = 6;
    explicit frmPresentScreen(App& app);

    // Offers the monitors attached now, the remembered one (or, without one, one the main
    // window is not on) chosen.
    void offer(std::vector<Monitor> monitors);

    Label lblPrompt{this, "lblPrompt"};
    std::array<OptionButton, MaxMonitors> optMonitor =
        makeArray<OptionButton, MaxMonitors>(this, "optMonitor");
    CommandButton cmdPresent{this, "cmdPresent"};
    CommandButton cmdCancel{this, "cmdCancel"};

  private:
    void PresentChosen();

    App& m_app;
    std::vector<Monitor> m_monitors;
};

// "Present Count": covers the one monitor, or asks which of several.
void PresentCount(App& app);
// Makes the present windows known to the application.
void registerPresentWindows(App& app);

// Where the choice of monitor is kept in the settings.
inline constexpr const char* PresentSection = "Present";
inline constexpr const char* PresentMonitorKey = "Monitor";

} // namespace orvane
