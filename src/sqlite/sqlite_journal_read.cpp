#include "sqlite/sqlite_journal.h"
#include "sqlite/sqlite_journal_detail.h"

#include <filesystem>
#include <functional>
#include <system_error>

namespace orvane {

namespace sqlite_journal {

std::string pragmaText(sqlite3* db, const char* sql) {
    sqlite3_stmt* st = nullptr;
    std::string out;
    if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW)
        if (const unsigned char* text = sqlite3_column_text(st, 0))
            out = reinterpret_cast<const char*>(text);
    sqlite3_finalize(st);
    return out;
}

FileKind examine(sqlite3* db, std::string& why) {
    // Reading the schema is the first read of the file: a file that is no database fails here.
    sqlite3_stmt* st = nullptr;
    int rc = sqlite3_prepare_v2(db, "SELECT count(*) FROM sqlite_master", -1, &st, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_step(st);
    const std::int64_t objects = rc == SQLITE_ROW ? sqlite3_column_int64(st, 0) : -1;
    sqlite3_finalize(st);
    if (rc != SQLITE_ROW) {
        why = sqlite3_errmsg(db);
        return FileKind::Damaged;
    }
    const std::string appId = pragmaText(db, "PRAGMA application_id");
    if (objects == 0 && (appId.empty() || appId == "0"))
        return FileKind::Empty;
    if (appId != std::to_string(ApplicationId)) {
        why = "it is not a journal of this program";
        return FileKind::Foreign;
    }
    const std::string check = pragmaText(db, "PRAGMA quick_check");
    if (check != "ok") {
        why = check.empty() ? std::string(sqlite3_errmsg(db)) : check;
        return FileKind::Damaged;
    }
    return FileKind::Journal;
}

bool readRecords(sqlite3* db, std::int64_t run, std::vector<JournalRecord>& out, std::string& error) {
    return eachRecord(db, run, [&out](JournalRecord&& r) {
        out.push_back(std::move(r));
        return true;
    }, error);
}

bool eachRecord(sqlite3* db, std::int64_t run, const std::function<bool(JournalRecord&&)>& each,
                std::string& error) {
    const char* sql = run == 0 ? "SELECT id, run, kind, true_ms, program_ms, count, count_seconds,"
                                 " details, launch_file FROM record ORDER BY id"
                               : "SELECT id, run, kind, true_ms, program_ms, count, count_seconds,"
                                 " details, launch_file FROM record WHERE run = ?1 ORDER BY id";
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) != SQLITE_OK) {
        error = sqlite3_errmsg(db);
        return false;
    }
    if (run != 0)
        sqlite3_bind_int64(st, 1, run);
    auto text = [st](int col) {
        const unsigned char* t = sqlite3_column_text(st, col);
        return t ? std::string(reinterpret_cast<const char*>(t)) : std::string();
    };
    int rc;
    std::int64_t lastRun = 0;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        JournalRecord r;
        r.id = sqlite3_column_int64(st, 0);
        r.run = sqlite3_column_int64(st, 1);
        r.kind = text(2);
        r.trueMs = sqlite3_column_int64(st, 3);
        if (sqlite3_column_type(st, 4) != SQLITE_NULL)
            r.programMs = sqlite3_column_int64(st, 4);
        r.count = text(5);
        r.countSeconds = sqlite3_column_int64(st, 6);
        r.details = parseDetails(text(7)).value_or(decltype(r.details){});
        r.launchFile = text(8);
        r.beginsRun = lastRun != r.run;
        lastRun = r.run;
        if (!each(std::move(r))) {
            rc = SQLITE_DONE;
            break;
        }
    }
    const bool ok = rc == SQLITE_DONE;
    if (!ok)
        error = sqlite3_errmsg(db);
    sqlite3_finalize(st);
    return ok;
}

} // namespace sqlite_journal

namespace {

// Opens a journal file for reading without making one; empty with WHY set when it cannot.
sqlite3* openExisting(const std::string& path, std::string& why, bool& empty) {
    using namespace sqlite_journal;
    empty = false;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        why = "there is no journal at " + path;
        return nullptr;
    }
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        why = "cannot open the journal " + path + ": " + sqlite3_errmsg(db);
        sqlite3_close(db);
        return nullptr;
    }
    sqlite3_busy_timeout(db, 5000);
    std::string problem;
    switch (examine(db, problem)) {
    case FileKind::Empty:
        empty = true;
        return db;
    case FileKind::Journal:
        return db;
    case FileKind::Foreign:
    case FileKind::Damaged:
        break;
    }
    why = "cannot read the journal " + path + ": " + problem;
    sqlite3_close(db);
    return nullptr;
}

std::int64_t number(sqlite3* db, const char* sql, std::int64_t bound) {
    sqlite3_stmt* st = nullptr;
    std::int64_t out = 0;
    if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) == SQLITE_OK) {
        sqlite3_bind_int64(st, 1, bound);
        if (sqlite3_step(st) == SQLITE_ROW)
            out = sqlite3_column_int64(st, 0);
    }
    sqlite3_finalize(st);
    return out;
}

} // namespace

std::string readJournalRecords(const std::string& path, JournalChoice choice, std::int64_t run,
                               const std::function<bool(JournalRecord&&)>& each) {
    std::string why;
    bool empty = false;
    sqlite3* db = openExisting(path, why, empty);
    if (!db)
        return why;
    if (!empty) {
        if (choice == JournalChoice::LastRun)
            run = number(db,
                         "SELECT coalesce(max(run), -1) FROM record"
                         " WHERE kind NOT IN ('start', 'exit')",
                         0);
        else if (choice == JournalChoice::Run &&
                 number(db, "SELECT count(*) FROM (SELECT 1 FROM record WHERE run = ?1 LIMIT 1)", run) == 0)
            why = "the journal has no run " + std::to_string(run);
        if (why.empty() && run >= 0 && !sqlite_journal::eachRecord(db, choice == JournalChoice::All ? 0 : run, each, why))
            why = "cannot read the journal " + path + ": " + why;
    } else if (choice == JournalChoice::Run) {
        why = "the journal has no run " + std::to_string(run);
    }
    sqlite3_close(db);
    return why;
}

void SqliteJournalStore::streamRecords(std::int64_t run, std::function<bool(JournalRecord&&)> each,
                                       std::function<void(std::string)> done) {
    if (readAtOnce) {
        ReadJob job{run, std::move(each), {}};
        done(read(job));
        return;
    }
    {
        std::lock_guard lock(m_readMutex);
        if (m_readJobs.size() < MostReadJobs) {
            m_readJobs.push_back({run, std::move(each), std::move(done)});
            if (!m_reader.joinable())
                m_reader = std::thread([this] { readerLoop(); });
            m_readWake.notify_all();
            return;
        }
    }
    answer(std::move(done), "the journal is busy reading; try again in a moment");
}

void SqliteJournalStore::answer(std::function<void(std::string)> done, std::string why) {
    if (deliver)
        deliver([done = std::move(done), why = std::move(why)] { done(why); });
    else
        done(why);
}

std::string SqliteJournalStore::read(ReadJob& job) {
    std::string why;
    bool opened = false;
    {
        std::lock_guard writerLock(m_mutex);
        opened = m_opened;
    }
    sqlite3* db = nullptr;
    if (opened && sqlite3_open_v2(m_path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_busy_timeout(db, 5000);
        // The program ending stops a long read between two records.
        const auto each = [this, &job](JournalRecord&& r) { return !m_readStop && job.each(std::move(r)); };
        if (!sqlite_journal::eachRecord(db, job.run, each, why))
            why = "the journal could not be read (" + why + ")";
    } else if (opened) {
        why = "the journal could not be read (" + std::string(db ? sqlite3_errmsg(db) : "no memory") + ")";
    }
    sqlite3_close(db);
    return why;
}

void SqliteJournalStore::readerLoop() {
    std::unique_lock lock(m_readMutex);
    for (;;) {
        m_readWake.wait(lock, [this] { return m_readStop || !m_readJobs.empty(); });
        if (m_readStop)
            return;
        ReadJob job = std::move(m_readJobs.front());
        m_readJobs.pop_front();
        lock.unlock();
        const std::string why = read(job);
        answer(std::move(job.done), why);
        lock.lock();
    }
}

JournalFileContent readJournalFile(const std::string& path) {
    JournalFileContent content;
    content.error = readJournalRecords(path, JournalChoice::All, 0, [&content](JournalRecord&& r) {
        content.records.push_back(std::move(r));
        return true;
    });
    return content;
}

} // namespace orvane
