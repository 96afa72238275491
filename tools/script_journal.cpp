#include "script_journal.h"

#include "script_runner.h"

#include "toolkit/controls.h"
#include "toolkit/quoting.h"
#include "toolkit/value.h"
#include "sqlite/sqlite_journal.h"

#include <filesystem>

namespace orvane::script {

void ScriptRunner::cmdJournalFile(LineReader& line) {
    const Word path = line.value("PATH");
    if (path.text.empty())
        throw ScriptError("journal-file needs a file name");
    m_journalFile = std::filesystem::absolute(path.text).lexically_normal().string();
}

std::string journalLine(const JournalRecord& r) {
    std::string line = "journal " + r.kind + " count=" + quoteText(r.count);
    for (const auto& [name, value] : r.details)
        line += " " + name + "=" + quoteText(value);
    return line;
}

void ScriptJournal::Canvas::draw(PictureBox& picture, const Drawing& drawing) {
    drawn[picture.name()] = drawing;
}

ScriptJournal::ScriptJournal(App& app, const std::string& file, TranscriptSink transcript) {
    if (file.empty())
        m_store = std::make_unique<MemoryJournalStore>();
    else {
        auto store = std::make_unique<SqliteJournalStore>(file);
        store->readAtOnce = true;
        m_store = std::move(store);
    }
    m_store->onCommitted = [transcript](const JournalRecord& r) { transcript(journalLine(r)); };
    m_keeper = std::make_unique<JournalKeeper>(app, *m_store, m_canvas);
    m_keeper->setWaitForCommit(true);
}

ScriptJournal::~ScriptJournal() {
    m_store->flush();
}

} // namespace orvane::script
