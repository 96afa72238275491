#pragma once

// The mission journal in the program: the journal's file in the user's data folder, written
// by the SQLite store's own thread; what that thread tells comes back to the user-interface
// thread; the Debrief window's pictures painted; and the exports the command line asks for,
// which need no display and run beside a running program.

#include "happenings.h"
#include "journal/journal_keeper.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace orvane {

class App;
class QtView;
class SqliteJournalStore;
struct JournalExportRequest;

class QtDebriefCanvas : public DebriefCanvas {
  public:
    explicit QtDebriefCanvas(QtView& view) : m_view(view) {}
    void draw(PictureBox& picture, const Drawing& drawing) override;

  private:
    QtView& m_view;
};

class QtJournal {
  public:
    QtJournal(App& app, QtView& view);
    ~QtJournal();
    QtJournal(const QtJournal&) = delete;
    QtJournal& operator=(const QtJournal&) = delete;

    JournalKeeper& keeper() { return *m_keeper; }
    // Whether records committed wait for the next round to be told to the keeper.
    bool commitWaiting() const { return m_committed->pending; }

  private:
    static void postWhileAlive(std::weak_ptr<bool> alive, std::function<void()> task);

    // Records committed wait for the next round to be told to the keeper (it only checks the
    // journal's size), so that a commit does not wake the user-interface thread again a
    // moment after the round that raised it; while no rounds run, they are told at once.
    struct Committed {
        std::atomic<bool> pending{false};
        // When the last round ran, on the steady clock's milliseconds; -1 before the first.
        std::atomic<std::int64_t> lastRoundMs{-1};
    };

    // Posted tasks hold it weakly: a task that runs after the journal is gone does nothing.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
    QtDebriefCanvas m_canvas;
    std::unique_ptr<SqliteJournalStore> m_store;
    std::unique_ptr<JournalKeeper> m_keeper;
    std::shared_ptr<Committed> m_committed = std::make_shared<Committed>();
    Subscription m_rounds;
};

// AppDataLocation/journal.sqlite. The application's and organisation's names must be set.
std::string journalFilePath();

// Writes the export to its file; the exit status, with any message on standard error.
int exportJournal(const JournalExportRequest& request, const std::string& exeName);

} // namespace orvane
