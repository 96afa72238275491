#pragma once

// The mission journal in the program: what happens is handed to the journal's store as plain
// records, runs are marked where they begin, a journal that cannot be kept is reported once
// (status bar and Debrief window) while the clock goes on, and the Debrief window is there to
// look back.

#include "happenings.h"
#include "toolkit/drawing.h"
#include "services/journal.h"
#include "dates/zone.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace orvane {

class App;
class PictureBox;

// Shows a picture in a picture box (the Qt binding paints it; scripts keep it).
class DebriefCanvas {
  public:
    virtual ~DebriefCanvas() = default;
    virtual void draw(PictureBox& picture, const Drawing& drawing) = 0;
};

// A happening as the journal keeps it: its kind's word, the clock readings and the count,
// and the details the kind has, times as local wall times in ZONE.
JournalRecord journalRecordOf(const Happening& h, const TimeZone& zone);

class JournalKeeper {
  public:
    // Registers the Debrief window with APP and records its happenings from now on.
    JournalKeeper(App& app, JournalStore& store, DebriefCanvas& canvas);

    // Hands over a record of what just happened: the launch data file in use is added, and a
    // new run begins where the record says the launch time was set or a file was read (a
    // program that has only started is no run yet: its file, or a launch time set at once,
    // joins the start), and after exit.
    void note(JournalRecord r);

    // The store's health changed (called on the user-interface thread): a problem or notice
    // is reported, each once.
    void healthChanged();
    // A record was committed (on the user-interface thread): past the size the user set, the
    // status bar warns, once.
    void committed();

    // Scripts wait for each record's commit, so that what they print keeps its order.
    void setWaitForCommit(bool wait) { m_waitForCommit = wait; }

    JournalStore& store() { return m_store; }
    DebriefCanvas& canvas() { return m_canvas; }
    // What the Debrief window says of the journal: a problem, a notice, a size warning.
    std::string note() const;
    // The size past which the journal warns, in megabytes (a per-user setting; 200 by default).
    std::int64_t sizeLimitMb() const;
    void setSizeLimitMb(std::int64_t mb);

  private:
    void showInStatusBar(const std::string& shortText, const std::string& fullText);

    App& m_app;
    JournalStore& m_store;
    DebriefCanvas& m_canvas;
    // The current run holds only the program's start so far.
    bool m_runIsOnlyStart = false;
    bool m_afterExit = true;
    // The true instant the hold under way began.
    std::optional<std::int64_t> m_holdTrueMs;
    std::string m_reportedProblem, m_reportedNotice;
    bool m_sizeWarned = false;
    mutable std::optional<std::int64_t> m_sizeLimitMb; // the setting, once read
    bool m_waitForCommit = false;
    Subscription m_happenings;
};

// The journal's setting.
inline constexpr const char* JournalSection = "Journal";
inline constexpr const char* JournalSizeKey = "Size Warning MB";

} // namespace orvane
