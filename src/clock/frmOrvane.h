#pragma once

// The main window: the count, launch time entry and the two screen sizes, hold and resume, and
// the launch window. It renders the App's LaunchState into the captions the user sees and
// files store, and turns an edit of one (the user, a script, a file) into a change of it.
//
// By concern: frmOrvane.cpp (design, layout), count.cpp, entry.cpp (entry, screen sizes),
// hold.cpp, launch_window.cpp, render.cpp (state into captions, edits back), launch_data.cpp,
// exit.cpp (File menu, exit), plan_run.cpp and plan_file.cpp (the countdown plan).

#include "clock/launch_captions.h"
#include "clock/plan_run.h"
#include "data/launch_format.h"
#include "dates/clock_steps.h"
#include "dates/datetime.h"
#include "dates/zone.h"
#include "happenings.h"
#include "model/launch_state.h"
#include "services/clock_health.h"
#include "toolkit/controls.h"
#include "toolkit/form.h"
#include "toolkit/time_entry.h"
#include "toolkit/window_places.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orvane {

class App;

class frmOrvane : public Form {
  public:
    explicit frmOrvane(App& app);

    // Real seconds from now until the launch time: positive before launch, 0 at the launch
    // second, negative after it.
    std::int64_t TminusSec() const;
    // The exit path: every way of leaving the program comes here. MUST_END: the program may
    // not go on (the launch window's lock), so the question has no Cancel.
    void ConfirmExit(bool mustEnd = false);
    // What reading a launch data file asks of this window (exit.cpp). A file records whether
    // holding is armed as the hold button's enabled state: the hold menus follow it.
    void SetHoldArmed(bool armed);
    // During a hold, the hold goes on from the launch time and launch window just read.
    void RestampHold();
    // The launch data file's fields that this window keeps (launch_data.cpp): the launch state
    // and the entry boxes as typed.
    void writeLaunchData(LaunchData& data) const;
    void readLaunchData(const LaunchData& data);
    // The status bar shows the launch data file in use.
    void showLaunchFile(const std::string& path);
    // The launch data file's open and save paths (scripts read OpenPath and SavePath).
    std::string openPath() const;
    std::string savePath() const;
    const PropertyTable& properties() const override;

    // Shows or hides the event timers window (either window's command).
    void ToggleEventTimers();
    // The captions of the three "Show Event Timers" commands follow whether the board is shown.
    void showEventTimersCaptions(bool shown);

    // The launch time, local wall time: the zero date, and hasLaunchTime() false, when an edit
    // of lblTarget gave a text that is no date-time.
    DateTime launchTime() const;
    bool hasLaunchTime() const;
    // The launch time as the real instant the counts compare with the clock's present.
    Instant launchMoment() const;
    // The count as the window shows it now (lblTMinus, lblDays ... lblSeconds are written
    // from it).
    const ShownCount& shownCount() const { return m_shown; }
    // The count the window shows at NOW: the held count during a hold, else the count to
    // the launch time (what the round of NOW's second shows, whichever timer runs first).
    ShownCount countAt(Instant now) const;
    // The launch window as the window shows it.
    struct LaunchWindowState {
        bool active = false;                       // chkLaunchWindowActive
        std::string text;                          // lblLaunchWindow: what is left of it, "h:mm:ss"
        std::optional<std::int64_t> leftSeconds;   // the same in seconds, when it is a time
        std::optional<std::int64_t> budgetSeconds; // what the current use of it draws on
        bool warningShown = false; // lblWindowWarning: less than a minute left in a hold
        bool expired = false;      // used up: the program must be restarted
    };
    LaunchWindowState launchWindow() const;
    // Whether holds are armed (Hold Enable) and whether a hold is on now.
    bool holdArmed() const;
    bool held() const;
    // The true time kept while a simulated time is shown, or none kept (sim_time_menu.cpp).
    void showTrueTimeRemembered(DateTime trueTime);
    void showTrueTimeForgotten();

    // pnlSound: whether callouts are heard ("Sound", "Muted", "No sound"), with NOTE as its
    // tooltip; the mute command carries its check mark while the user has MUTED the callouts.
    void showSound(const std::string& state, const std::string& note, bool muted);
    // The status bar tells what is wrong with the mission journal: SHORTTEXT in its own panel,
    // FULLTEXT as the panel's tooltip; an empty text takes the panel away.
    void ShowJournalNote(const std::string& shortText, const std::string& fullText);
    // pnlClockHealth: how far the computer's clock can be trusted, in amber when it is not
    // kept synchronised; the panel shows only once the clock's health is known.
    void showClockHealth(const ClockHealth& health);
    // The clock's health as the status bar shows it.
    const ClockHealth& clockHealth() const { return m_clockHealth; }

    // Following a leader's count (follow.cpp). A follower's controls that would change the
    // count are greyed, it reads and writes no launch data file, and it leaves without asking
    // to save one.
    void setFollowing(bool following);
    bool following() const { return m_following; }
    // What a follower shows of its leader: the launch moment, whether the count is held (the
    // held count is the one the launch moment gives now) and the launch window.
    struct Followed {
        Instant launch;
        bool held = false;
        bool windowActive = false;
        std::string windowText;
        // What is left of the leader's window, in seconds; empty when it sent none.
        std::optional<std::int64_t> windowLeft;
    };
    void FollowLeader(const Followed& leader);
    // The file panel of a follower tells what it follows, or that the leader is silent; WARN
    // shows it in amber. TIP is its tooltip.
    void ShowFollowStatus(const std::string& text, bool warn, const std::string& tip);
    // Why a follower has not heard its leader yet (it then shows no count); empty otherwise.
    std::optional<std::string> leaderNotHeard() const;

    // The Help menu's "Enable Tip of the Day" carries its check mark while tips are on.
    void showTipsEnabled(bool enabled) { mnuTips.setChecked(enabled); }

  private:
    friend struct PlanRun;
    // The controls, in the order they register (the design tables and the view rely on it).
    // ---- menus (menu-bar order; the right-click menu is a hidden top menu) ----
    MenuItem mnuFile{this, "mnuFile", nullptr, "&File"};
    MenuItem mnuNew{this, "mnuNew", &mnuFile, "New", "Ctrl+N"};
    MenuItem mnuOpen{this, "mnuOpen", &mnuFile, "&Open . . ."};
    MenuItem mnuSave{this, "mnuSave", &mnuFile, "Save", "Ctrl+S"};
    MenuItem mnuSaveAs{this, "mnuSaveAs", &mnuFile, "&Save As . . ."};
    PlanMenus planMenus{this, &mnuFile}; // Open, Edit, Save and Close Plan (plan_file.cpp)
    MenuItem mnuRevert{this, "mnuRevert", &mnuFile, "Revert to File", "Ctrl+R"};
    MenuItem mnuDebrief{this, "mnuDebrief", &mnuFile, "Debrief . . ."};
    MenuItem mnuFileSep{this, "mnuFileSep", &mnuFile, "-"};
    MenuItem mnuExit{this, "mnuExit", &mnuFile, "E&xit"};

    MenuItem mnuSettings{this, "mnuSettings", nullptr, "&Settings"};
    MenuItem mnuSetLaunchTime{this, "mnuSetLaunchTime", &mnuSettings, "Set Launch Time"};
    MenuItem mnuSetLaunchWindow{this, "mnuSetLaunchWindow", &mnuSettings, "Set Launch Window"};
    MenuItem mnuActiveLaunchWindow{this, "mnuActiveLaunchWindow", &mnuSettings,
                                   "Active Launch Window", "Ctrl+W"};
    MenuItem mnuSettingsSep1{this, "mnuSettingsSep1", &mnuSettings, "-"};
    MenuItem mnuHoldEnable{this, "mnuHoldEnable", &mnuSettings, "Hold Enable", "Ctrl+D"};
    MenuItem mnuHold{this, "mnuHold", &mnuSettings, "&Hold"};
    MenuItem mnuExtendHold{this, "mnuExtendHold", &mnuSettings, "Extend Built-in Hold . . ."};
    MenuItem mnuSettingsSep2{this, "mnuSettingsSep2", &mnuSettings, "-"};
    MenuItem mnuShowTimers{this, "mnuShowTimers", &mnuSettings, "Show Event Timers"};
    MenuItem mnuCompactScreen{this, "mnuCompactScreen", &mnuSettings, "Compact Screen", "Ctrl+K"};
    MenuItem mnuRemoteDisplays{this, "mnuRemoteDisplays", &mnuSettings, "Remote Displays . . ."};
    MenuItem mnuPresent{this, "mnuPresent", &mnuSettings, "Present Count", "F11"};
    MenuItem mnuCallouts{this, "mnuCallouts", &mnuSettings, "Callouts . . ."};
    MenuItem mnuMute{this, "mnuMute", &mnuSettings, "Mute Callouts", "Ctrl+U"};
    MenuItem mnuSettingsSep3{this, "mnuSettingsSep3", &mnuSettings, "-"};
    MenuItem mnuTimeZone{this, "mnuTimeZone", &mnuSettings, "Time Zone"};
    MenuItem mnuEST{this, "mnuEST", &mnuTimeZone, "Eastern Standard"};
    MenuItem mnuEDT{this, "mnuEDT", &mnuTimeZone, "Eastern Daylight"};
    MenuItem mnuCST{this, "mnuCST", &mnuTimeZone, "Central Standard"};
    MenuItem mnuCDT{this, "mnuCDT", &mnuTimeZone, "Central Daylight"};
    MenuItem mnuMST{this, "mnuMST", &mnuTimeZone, "Mountain Standard"};
    MenuItem mnuMDT{this, "mnuMDT", &mnuTimeZone, "Mountain Daylight"};
    MenuItem mnuPST{this, "mnuPST", &mnuTimeZone, "Pacific Standard"};
    MenuItem mnuPDT{this, "mnuPDT", &mnuTimeZone, "Pacific Daylight"};

    MenuItem mnuSimTime{this, "mnuSimTime", nullptr, "Sim Ti&me"};
    MenuItem mnuRestoreTime{this, "mnuRestoreTime", &mnuSimTime, "Restore System Time"};
    MenuItem restline{this, "restline", &mnuSimTime, "-"};
    MenuItem mnuTminus45{this, "mnuTminus45", &mnuSimTime, "T - 45"};
    MenuItem mnuTminus30{this, "mnuTminus30", &mnuSimTime, "T - 30"};
    MenuItem mnuTminus20{this, "mnuTminus20", &mnuSimTime, "T - 20"};
    MenuItem mnuTminus10{this, "mnuTminus10", &mnuSimTime, "T - 10"};
    MenuItem mnuTminus8{this, "mnuTminus8", &mnuSimTime, "T - 8"};
    MenuItem mnuTminus6{this, "mnuTminus6", &mnuSimTime, "T - 6"};
    MenuItem mnuTminus4{this, "mnuTminus4", &mnuSimTime, "T - 4"};
    MenuItem mnuTminus2{this, "mnuTminus2", &mnuSimTime, "T - 2"};
    MenuItem mnuTminus30Sec{this, "mnuTminus30Sec", &mnuSimTime, "T - 30 Seconds"};
    MenuItem mnul13{this, "mnul13", &mnuSimTime, "-"};
    MenuItem mnuTplus5{this, "mnuTplus5", &mnuSimTime, "T + 5 Minutes"};
    MenuItem mnul7{this, "mnul7", &mnuSimTime, "-"};
    MenuItem mnuManualSet{this, "mnuManualSet", &mnuSimTime, "Manual Set . . .", "Ctrl+M"};

    MenuItem mnuHelp{this, "mnuHelp", nullptr, "&Help"};
    MenuItem mnuCalc{this, "mnuCalc", &mnuHelp, "Calulator . . ."};
    MenuItem h3{this, "h3", &mnuHelp, "-"};
    MenuItem mnuHelpContents{this, "mnuHelpContents", &mnuHelp, "Help Contents . . ."};
    MenuItem mnul12{this, "mnul12", &mnuHelp, "-"};
    MenuItem mnuTips{this, "mnuTips", &mnuHelp, "Enable Tip of the Day"};
    MenuItem mnul11{this, "mnul11", &mnuHelp, "-"};
    MenuItem mnuTechSupport{this, "mnuTechSupport", &mnuHelp, "Technical Support . . ."};
    MenuItem mnuAbout{this, "mnuAbout", &mnuHelp, "About Orvane . . ."};

    MenuItem mnuPopUp{this, "mnuPopUp", nullptr, "&RightClickMenu"};
    MenuItem mnuRtShowTimers{this, "mnuRtShowTimers", &mnuPopUp, "Show Event Timers . . ."};
    MenuItem mnuRtAccess{this, "mnuRtAccess", &mnuPopUp, "&Access Launch Data"};
    MenuItem mnuRtSep1{this, "mnuRtSep1", &mnuPopUp, "-"};
    MenuItem mnuRtHold{this, "mnuRtHold", &mnuPopUp, "&Hold"};
    MenuItem mnuRtHoldEnable{this, "mnuRtHoldEnable", &mnuPopUp, "Hold Enable"};
    MenuItem mnuRtSep2{this, "mnuRtSep2", &mnuPopUp, "-"};
    MenuItem mnuRtCompactScreen{this, "mnuRtCompactScreen", &mnuPopUp, "&Compact"};
    MenuItem mnuRtSep3{this, "mnuRtSep3", &mnuPopUp, "-"};
    MenuItem mnuRTHelp{this, "mnuRTHelp", &mnuPopUp, "Help . . ."};
    MenuItem mnuRtSep4{this, "mnuRtSep4", &mnuPopUp, "-"};
    MenuItem mnuRtExit{this, "mnuRtExit", &mnuPopUp, "E&xit"};
    MenuItem mnuRtSep5{this, "mnuRtSep5", &mnuPopUp, "-"};
    MenuItem mnuRtPresent{this, "mnuRtPresent", &mnuPopUp, "Present Count"};

    // ---- the count ----
    Label lblTMinus{this, "lblTMinus"};
    Label lblDays{this, "lblDays"};
    Label lblHours{this, "lblHours"};
    Label Label2{this, "Label2"};
    Label lblMinutes{this, "lblMinutes"};
    Label Label3{this, "Label3"};
    Label lblSeconds{this, "lblSeconds"};
    std::array<Shape, 3> shpIndicator = makeArray<Shape, 3>(this, "shpIndicator");
    CommandButton cmdAccess{this, "cmdAccess"};
    CommandButton cmdHoldResume{this, "cmdHoldResume"};
    CommandButton cmdShowTimers{this, "cmdShowTimers"};
    Label lblTarget{this, "lblTarget"};
    Label lblWindowWarning{this, "lblWindowWarning"};
    // The L count, liftoff's time and the built-in hold standing (plan_run.cpp).
    Label lblLCount{this, "lblLCount"}, lblLiftoff{this, "lblLiftoff"},
        lblBuiltInHold{this, "lblBuiltInHold"};

    // ---- launch time entry ----
    PictureBox pctLaunchTime{this, "pctLaunchTime"};
    Label Label10{this, "Label10"};
    TextBox txtLaunchDate{this, "txtLaunchDate"};
    Label Label11{this, "Label11"};
    Label Label4{this, "Label4"};
    Label Label8{this, "Label8"};
    Label Label9{this, "Label9"};
    TextBox txtHours{this, "txtHours"};
    ScrollBar vsbHours{this, "vsbHours"};
    TextBox txtMinutes{this, "txtMinutes"};
    ScrollBar vsbMinutes{this, "vsbMinutes"};
    TextBox txtSeconds{this, "txtSeconds"};
    ScrollBar vsbSeconds{this, "vsbSeconds"};
    CommandButton cmdSet{this, "cmdSet"};
    // Made last in the panel so that it pops up over the other entry controls.
    orvane::Calendar Calendar{this, "Calendar"};

    // ---- launch window ----
    PictureBox pctLaunchWindow{this, "pctLaunchWindow"};
    Label Label12{this, "Label12"};
    TimeOfDayEntry windowEntry{this, "Label7", "Label6", "Label5"};
    CommandButton cmdSetWindow{this, "cmdSetWindow"};
    CheckBox chkLaunchWindowActive{this, "chkLaunchWindowActive"};
    Label lblLaunchWindow{this, "lblLaunchWindow"};

    // ---- hidden labels: the hold's and the launch window's stamps, the remembered true time ----
    Label lblNowStamp{this, "lblNowStamp"};
    Label lblTargetStamp{this, "lblTargetStamp"};
    Label lblLaunchWindowStamp{this, "lblLaunchWindowStamp"};
    Label lblNowStampWindow{this, "lblNowStampWindow"};
    Label lblRevertTime{this, "lblRevertTime"};

    StatusBar sbrStatusBar{this, "sbrStatusBar"};

    // ---- timers ----
    Timer tmrCountdown{this, "tmrCountdown", 1, true};
    Timer tmrCurrentDateTime{this, "tmrCurrentDateTime", 1, false};
    Timer tmrHold{this, "tmrHold", 1, false};
    Timer tmrLaunchWindow{this, "tmrLaunchWindow", 1, false};
    Timer tmrRevert{this, "tmrRevert", 60000, false};
    Timer tmrVideo{this, "tmrVideo", 1000, true};
    Timer tmrLaunchWindowTagTimer{this, "tmrLaunchWindowTagTimer", 500, true};

    void setDesignValues();
    void layOut();
    void layOutPanels();
    // The panels that come and go take their room from the file panel's (frmOrvane.cpp).
    void fitStatusPanels();
    void ShowCommandNote(); // pnlCommand: a paired device's command, for a few seconds
    void wireCount();
    void wireEntry();
    void wireHold();
    void wireLaunchWindow();
    void wireFile(); // exit.cpp
    void wireHelpMenu();

    // The count (count.cpp).
    void UpdateCountDisplay();
    // Shows the count at NOW, the one reading of the present of the event that shows it.
    void ShowCount(Instant now);
    TimeZone zone() const;
    void BlinkIndicators();
    void ShowCurrentDateTime();
    void PopUpRightClickMenu(MouseButton button);

    // Launch time entry and screen sizes (entry.cpp).
    static void pairTimeBox(TextBox& box, ScrollBar& bar);
    void SetLaunchTime();
    // The launch time the entry boxes hold, once the user has confirmed it; empty when the
    // entry is refused (the user is told) or not confirmed.
    std::optional<DateTime> ReadLaunchEntry();
    // Reads three time boxes (hours 0 to 23, minutes and seconds 0 to 59) as seconds into the
    // day; on anything else tells the user and gives empty.
    std::optional<std::int64_t> ReadTimeEntry(const TextBox& hoursBox, const TextBox& minutesBox,
                                              const TextBox& secondsBox);
    void ShowInvalidDate();
    // Moves the date in the entry box by whole days (Label10 back, lblTarget on).
    void StepLaunchDate(int days);
    void EnableSetLaunchTime();
    void DisableSetLaunchTime();
    // The calendar is a pop-up: a press anywhere else in the window closes it and leaves the
    // date box as it was.
    void closeCalendarOnPressElsewhere();
    void ToggleScreenSize();
    void ShowCompactScreen();
    void ShowFullScreen();
    // Resizes the window for a screen mode and puts it where that mode stands on the monitor
    // it is on (entry.cpp).
    void placeForMode(int width, int height, int designedLeft);
    void rememberPlace();

    // Hold and resume (hold.cpp).
    void HoldOrResume();
    void StartHold();
    void ResumeCount();
    // Ends the hold with the launch time and the launch window as they stand.
    void LeaveHold(Instant now);
    void SetDigitColor(Color color);
    void StampHold(Instant now);
    // Raises a happening of KIND with the window's details filled in.
    Happening happening(Happening::Kind kind) const;
    void UpdateHeldTarget(Instant now);
    void ToggleHoldEnable();
    // Greys what would change a followed count; the window's own rules enable some of it again
    // as the count goes on, so each of them calls this after.
    void greyForLeader();
    void setFollowedLaunch(Instant launch);

    // The Sim Time menu (sim_time_menu.cpp).
    void wireSimTime();
    void AdvanceRevertTime();

    // The launch window (launch_window.cpp).
    void SetLaunchWindow();
    void SetLaunchWindowEntry();
    void raiseWindowHappening(Happening::Kind kind);
    // The window boxes in seconds; empty when they do not hold a time (the user is told).
    std::optional<std::int64_t> GetWindowEntry();
    // True when the launch window may be changed now, after deactivating it if the user agrees.
    bool ConfirmWindowChange();
    void ApplyLaunchWindowActive();
    void UpdateHeldWindow(Instant now);
    void UpdateWindowWarning();
    void setWindowWarningArmed(bool armed);
    void CheckWindowLock();

    // The launch state into the captions, and edits of them back (render.cpp).
    void wireRender();
    // Writes every caption, tag, colour and timer the launch state shows, where it changed.
    void render();
    void renderLaunchTime();
    void renderHold();
    void renderWindow();
    // An edit of a caption that shows the launch state, by a user, a script or a file, becomes
    // the state's change here; the window's own rendering never comes back through it.
    void takeEdit(Label& label, void (frmOrvane::*take)());
    void takeLaunchTimeEdit();
    void takeHoldStampEdit();
    void takeWindowEdit();
    void takeWindowStampEdit();
    // The launch time was set by the entry (its day written with two digits), or moved by a
    // hold or a leader: the next rendering writes it in PATTERN.
    void showLaunchTimeAs(const char* pattern) { m_captions.launchPattern = pattern; }

    App& m_app;
    LaunchState& m_state;
    LaunchCaptions m_captions; // what the captions show of the launch state
    bool m_fullScreen = false;
    // Where the user put the window in each screen mode, on each monitor.
    WindowPlaces m_places;
    // The count last shown, in seconds to launch, for the indicators that follow it, and as
    // the captions show it.
    std::int64_t m_shownTminus = 0;
    ShownCount m_shown;
    // The launch moment the count last shown was worked out from, so that the count reaching
    // zero is told from a new launch time put behind the present.
    std::optional<Instant> m_shownLaunch;
    ClockHealth m_clockHealth;  // what pnlClockHealth shows
    bool m_following = false;   // the count is a leader's
    bool m_leaderHeard = false; // a follower's: its leader's state has come
    std::string m_followStatus;
    // The true time remembered while a simulated time is shown, as lblRevertTime shows it.
    std::optional<DateTime> m_revertShown;
};

} // namespace orvane
