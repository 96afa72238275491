#pragma once

// The event timers window: ten event rows counting down to their moments and up after them,
// in a column of ten places that the user can put in time order and scroll, with the
// window's commands in a control area to the right of the rows.
//
// The member functions are spread by concern: frmEventTimers.cpp (design values, layout,
// wiring and the window's life), board_count.cpp (the counts, alert colours and tooltips),
// ordering.cpp (Sequence Events and scrolling), commands.cpp (the other commands, showing
// and hiding the window), record.cpp (the event record by name), rows.cpp (defining and
// clearing events), render.cpp (the board shown in the controls, and the controls' edits).
//
// The rows' state is the App's Board: the window turns its commands and ticks into the
// board's operations and renders the board into its controls.

#include "data/CTimeData.h"
#include "dates/datetime.h"
#include "dates/zone.h"
#include "happenings.h"
#include "model/board.h"
#include "toolkit/controls.h"
#include "toolkit/form.h"
#include "toolkit/window_places.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace orvane {

class App;

class frmEventTimers : public Form {
  public:
    explicit frmEventTimers(App& app);
    ~frmEventTimers() override;

    // The rows stand in a column of ten places 1320 twips apart, given by their Top; at
    // design row N stands at place N + 1.
    static constexpr int FirstPlaceTop = 120;
    static constexpr int PlaceStep = 1320;
    static constexpr int LastPlaceTop = FirstPlaceTop + 9 * PlaceStep;

    // The one record of the ten events' definitions, over the board.
    CTimeData& EventData() { return m_eventData; }
    const CTimeData& EventData() const { return m_eventData; }

    // Shows or hides this window (either window's command).
    void ToggleEventTimers();

    // Defines, redefines or clears event n (0 to 9). With a sign ("-" before liftoff, "+"
    // after) the record takes the sign and SECS, the row is named NAME, shown and marked with
    // the sign, its count starts afresh and the tooltips are rebuilt. An empty sign clears
    // the row only: named NAME, no mark, hidden; the record keeps the event's times, which
    // still place it in time order and still count in the wizard's check against two events
    // at one time, and SECS is not used.
    void DefineEvent(int n, std::string_view name, std::string_view sign, std::int32_t secs);
    // An event is assigned exactly while its row carries a direction mark; the name is the
    // row's, as the row shows it.
    bool isAssigned(int n) const { return m_board.row(n).defined; }
    std::string eventName(int n) const { return m_board.row(n).name; }
    // Sets row n as a launch data file records it (name, mark, whether it is shown) and starts
    // its count afresh with the tooltips rebuilt; the file's reader writes the record itself.
    void RestoreEventRow(int n, std::string_view name, std::optional<Direction> mark, bool visible);
    void RestoreEventRow(int n, std::string_view name, std::string_view mark, bool visible) {
        RestoreEventRow(n, name, directionOfMark(mark), visible);
    }

    using RowPhase = orvane::RowPhase;
    using Direction = orvane::Direction;
    using AlertLevel = orvane::AlertLevel;
    // One row as the board shows it.
    struct Row {
        bool defined = false; // it carries a direction mark
        Direction direction = Direction::Before;
        std::int64_t offsetSeconds = 0; // from the launch time, unsigned
        std::string name;
        // The moment the row counts to, or, once it counts up, the moment it captured.
        Instant moment;
        RowPhase phase = RowPhase::Fresh;
        std::string text; // lblTime(N): the count shown
        AlertLevel alert = AlertLevel::None;
        // Seconds from the launch time: negative before it, positive after it.
        std::int64_t signedOffset() const {
            return direction == Direction::After ? offsetSeconds : -offsetSeconds;
        }
    };
    // Row n (0 to 9) at the clock's present reading. Without SHOWN, its text and alert level
    // are left empty: for those who need its moment alone, every second.
    enum class Parts { All, WithoutShown };
    Row row(int n, Parts parts = Parts::All) const;
    // The moment row n counts to or from, at NOW, for the launch instant LAUNCH: the one rule
    // for it (the count up, the remote displays).
    Instant countMoment(int n, Instant launch, Instant now) const;

    // Whether the board is shown by the show/hide commands. Shown, it counts down and shows the
    // alert colors; hidden, only the count up runs.
    bool shown() const { return m_shown; }
    void setShown(bool shown);
    // A hold stops the count down; resuming starts it again if the board is shown.
    void setCountDownHeld(bool held);
    // A follower's board shows its leader's events: its commands that define or remove one are
    // greyed.
    void setFollowing();
    // The rows' tooltips show the events' definitions: after the record changed behind the
    // rows' backs (a launch data file was read), they are rebuilt shortly after.
    void showToolTipsAgain() { tmrToolTips.setEnabled(true); }

    // The event record as the scenario runner reads and writes it: EventData.Secs3 and so on.
    std::optional<PropValue> recordProperty(std::string_view record,
                                            std::string_view prop) const override;
    SetResult setRecordProperty(std::string_view record, std::string_view prop,
                                std::string_view text) override;

  private:
    // The controls, in the order they register (the design tables and the view rely on it).
    // ---- menus (menu-bar order; the right-click menu is a hidden top menu) ----
    MenuItem mnuFile{this, "mnuFile", nullptr, "&File"};
    MenuItem mnuFileHide{this, "mnuFileHide", &mnuFile, "Hide Event Timers"};

    MenuItem mnuEdit{this, "mnuEdit", nullptr, "&Settings"};
    MenuItem mnuScrollUp{this, "mnuScrollUp", &mnuEdit, "Scroll Up", "Ctrl+Up"};
    MenuItem mnuScrollDown{this, "mnuScrollDown", &mnuEdit, "Scroll Down", "Ctrl+Down"};
    MenuItem mnuEditSep1{this, "mnuEditSep1", &mnuEdit, "-"};
    MenuItem mnuFileShowCtrls{this, "mnuFileShowCtrls", &mnuEdit, "&Hide Controls", "Ctrl+H"};
    MenuItem mnuEditSeq{this, "mnuEditSeq", &mnuEdit, "Sequence Events", "Ctrl+E"};
    MenuItem mnuEditSep2{this, "mnuEditSep2", &mnuEdit, "-"};
    MenuItem mnuFileAdd{this, "mnuFileAdd", &mnuEdit, "Add Event", "Ctrl+N"};
    MenuItem mnuEditRemove{this, "mnuEditRemove", &mnuEdit, "Remove Event"};
    MenuItem mnuEditSep3{this, "mnuEditSep3", &mnuEdit, "-"};
    MenuItem mnuEditRemoveAll{this, "mnuEditRemoveAll", &mnuEdit, "Remove All Events"};

    MenuItem mnuHelp{this, "mnuHelp", nullptr, "&Help"};
    MenuItem mnuHelpHelp{this, "mnuHelpHelp", &mnuHelp, "&Help Contents . . .", "F1"};

    MenuItem mnuPopUp{this, "mnuPopUp", nullptr, "RightClickMenu"};
    MenuItem mnuRtShow{this, "mnuRtShow", &mnuPopUp, "&Hide Controls"};
    MenuItem mnuRtSep1{this, "mnuRtSep1", &mnuPopUp, "-"};
    MenuItem mnuRTHelp{this, "mnuRTHelp", &mnuPopUp, "Help . . ."};
    MenuItem mnuRtSep2{this, "mnuRtSep2", &mnuPopUp, "-"};
    MenuItem mnuRTHideEvents{this, "mnuRTHideEvents", &mnuPopUp, "&Hide Event Timers"};

    // ---- the rows: event N's row is pctEvent(N) holding lblName(N), lblTime(N), lblTag(N) ----
    std::array<PictureBox, 10> pctEvent = makeArray<PictureBox, 10>(this, "pctEvent");
    std::array<Label, 10> lblName = makeArray<Label, 10>(this, "lblName");
    std::array<Label, 10> lblTime = makeArray<Label, 10>(this, "lblTime");
    std::array<Label, 10> lblTag = makeArray<Label, 10>(this, "lblTag");

    // ---- the control area ----
    CommandButton cmdUp{this, "cmdUp"};
    CommandButton cmdSeqEvents{this, "cmdSeqEvents"};
    CommandButton cmdAdd{this, "cmdAdd"};
    CommandButton cmdRemove{this, "cmdRemove"};
    CommandButton cmdHide{this, "cmdHide"};
    CommandButton cmdHideScreen{this, "cmdHideScreen"};
    CommandButton cmdDown{this, "cmdDown"};

    // ---- timers ----
    Timer tmrCount{this, "tmrCount", 243, false};
    Timer tmrTPlusCount{this, "tmrTPlusCount", 251, true};
    Timer tmrActions{this, "tmrActions", 497, false};
    Timer tmrToolTips{this, "tmrToolTips", 5000, true};

    void setDesignValues();
    void layOut();
    void wireCommands();

    // The counts (board_count.cpp).
    Instant GetLaunchTime() const;
    // Makes row n count afresh: its moment is taken again from the record and the launch
    // time, so a row that passed it counts up from the new moment.
    void RestartCount(int n);
    // The happening of KIND for row n.
    void raiseRow(Happening::Kind kind, int n);
    void CountDown();
    void CountUp();
    void ShowAlertColors();
    void ShowToolTips();

    // The board in the controls, and a script's or a file's edit of a control turned into
    // the board's change (render.cpp).
    void render();
    // The counts and the alert colours each change the board in the same round: it is shown
    // once, after the last of them (TICKED is the one that just ticked).
    void renderAfterTicks(const Timer& ticked);
    void wireEdits();
    // lblTime(N): the count as the row shows it.
    static std::string countText(const BoardRow& r);

    // Ordering and scrolling (ordering.cpp).
    void SequenceEvents();
    void ScrollRowsUp();
    void ScrollRowsDown();

    // The other commands (commands.cpp).
    void HideControls();
    void ToggleControls();
    void RemoveAllEvents();
    void AddEvent(bool disableThisWindow);
    void RemoveEvent();
    void ShowHelp();
    void PopUpRightClickMenu(MouseButton button);

    App& m_app;
    // Where the user put the window, on each monitor.
    WindowPlaces m_places;
    Board& m_board;
    CTimeData m_eventData;
    bool m_shown = false;
    // The narrow window shows the rows only (Hide Controls).
    bool m_controlsHidden = false;
    // Set while the window writes the board into its controls, whose change handlers then
    // have nothing to tell the board.
    bool m_rendering = false;
    // The captured moments lblTag(N) shows: its caption is written only when the board
    // captures a new one, so a caption a script wrote stays as written.
    std::array<std::optional<LocalTime>, 10> m_shownCaptured{};
    // A render asked for after this round's ticks, and whether the window is still there to
    // take it.
    bool m_renderDue = false;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

} // namespace orvane
