#pragma once

// The scenario runner's mission journal: in memory, or in the file a journal-file line names
// (the program's own SQLite store). Each record committed prints a transcript line:
//   journal KIND count="T - 000 00:09:00" NAME="VALUE" ...

#include "journal/journal_keeper.h"
#include "doubles/fake_services.h"

#include <map>
#include <memory>
#include <string>

namespace orvane {
class App;
}

namespace orvane::script {

class ScriptJournal {
  public:
    ScriptJournal(App& app, const std::string& file, TranscriptSink transcript);
    ~ScriptJournal();
    JournalKeeper& keeper() { return *m_keeper; }

  private:
    // Keeps the pictures the Debrief window draws.
    class Canvas : public DebriefCanvas {
      public:
        void draw(PictureBox& picture, const Drawing& drawing) override;
        std::map<std::string, Drawing> drawn;
    };
    Canvas m_canvas;
    std::unique_ptr<JournalStore> m_store;
    std::unique_ptr<JournalKeeper> m_keeper;
};

// The transcript's line for a committed record.
std::string journalLine(const JournalRecord& r);

} // namespace orvane::script
