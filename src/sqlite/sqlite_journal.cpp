#include "sqlite/sqlite_journal.h"

#include "sqlite/sqlite_journal_detail.h"

#include <algorithm>
#include <cstdlib>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <system_error>

namespace orvane {

using namespace sqlite_journal;
namespace fs = std::filesystem;

namespace {

bool exec(sqlite3* db, const std::string& sql, std::string& error) {
    char* message = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) == SQLITE_OK)
        return true;
    error = message ? message : sqlite3_errmsg(db);
    sqlite3_free(message);
    return false;
}

} // namespace

SqliteJournalStore::SqliteJournalStore(std::string path, std::int64_t maxPages)
    : m_path(std::move(path)), m_maxPages(maxPages), m_writer([this] { writerLoop(); }) {}

SqliteJournalStore::~SqliteJournalStore() {
    {
        std::lock_guard lock(m_readMutex);
        m_readStop = true;
    }
    m_readWake.notify_all();
    if (m_reader.joinable())
        m_reader.join();
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    m_writer.join();
}

void SqliteJournalStore::record(JournalRecord r) {
    std::int64_t lost = 0;
    {
        std::lock_guard lock(m_mutex);
        if (m_queue.size() + m_inFlight >= MostWaiting || m_finishing)
            lost = ++m_lost;
        else
            m_queue.push_back({std::move(r), 0, {}});
        m_stalled = false;
    }
    m_wake.notify_all();
    // Told once, then at every thousand more.
    if (lost > 0 && (lost == 1 || lost % 1000 == 0) && onHealthChanged)
        onHealthChanged();
}

void SqliteJournalStore::deleteRun(std::int64_t run, DeleteProgress progress) {
    {
        std::lock_guard lock(m_mutex);
        m_queue.push_back({{}, run, std::move(progress)});
        m_stalled = false;
    }
    m_wake.notify_all();
}

void SqliteJournalStore::flush() {
    std::unique_lock lock(m_mutex);
    m_settled.wait(lock, [this] { return !m_busy && (m_queue.empty() || m_stalled); });
}

std::size_t SqliteJournalStore::finish(std::chrono::milliseconds bound) {
    std::unique_lock lock(m_mutex);
    m_settled.wait_for(lock, bound, [this] { return !m_busy && (m_queue.empty() || m_stalled); });
    // Whatever has not gone in by now is given up, once the batch under way has gone in or
    // failed (within the journal's busy timeout).
    m_finishing = true;
    m_settled.wait(lock, [this] { return !m_busy; });
    std::size_t unwritten = std::size_t(m_lost);
    for (const Item& item : m_queue)
        unwritten += item.deleteRun == 0;
    m_queue.clear();
    return unwritten;
}

JournalHealth SqliteJournalStore::health() const {
    JournalHealth h;
    {
        std::lock_guard lock(m_mutex);
        h.problem = m_problem;
        h.notice = m_notice;
        if (m_lost > 0)
            h.notice += std::string(h.notice.empty() ? "" : "\n") + std::to_string(m_lost) +
                        (m_lost == 1 ? " record was" : " records were") +
                        " lost, as " + std::to_string(MostWaiting) +
                        " were already waiting for the mission journal.";
    }
    h.path = m_path;
    std::error_code ec;
    for (const char* suffix : {"", "-wal"}) {
        const auto size = fs::file_size(m_path + suffix, ec);
        if (!ec)
            h.sizeBytes += std::int64_t(size);
    }
    return h;
}

void SqliteJournalStore::setProblem(const std::string& problem) {
    {
        std::lock_guard lock(m_mutex);
        if (m_problem == problem)
            return;
        m_problem = problem;
    }
    if (onHealthChanged)
        onHealthChanged();
}

void SqliteJournalStore::setNotice(const std::string& notice) {
    {
        std::lock_guard lock(m_mutex);
        m_notice = notice;
    }
    if (onHealthChanged)
        onHealthChanged();
}

void SqliteJournalStore::writerLoop() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stop || (!m_queue.empty() && !m_stalled); });
        if (m_queue.empty() || (m_stop && m_stalled))
            break;
        // Everything gathered so far goes in one transaction.
        std::vector<Item> batch(std::make_move_iterator(m_queue.begin()),
                                std::make_move_iterator(m_queue.end()));
        m_queue.clear();
        m_busy = true;
        m_inFlight = batch.size();
        lock.unlock();

        std::vector<JournalRecord> committed;
        std::string failure;
        if (m_db && replacedMeanwhile())
            beginAgain();
        if (!m_db && !openForWriting())
            failure = "unopened";
        else
            failure = write(batch, committed);
        if (failure.empty()) {
            rememberFile();
            setProblem({});
            for (const JournalRecord& r : committed)
                if (onCommitted)
                    onCommitted(r);
        } else if (failure != "unopened") {
            setProblem("The mission journal cannot be written (" + failure + "): " + m_path +
                       ". The clock goes on; what happens now is kept until the journal can "
                       "be written again.");
        }

        lock.lock();
        m_busy = false;
        m_inFlight = 0;
        if (!failure.empty()) {
            // The batch waits, before anything handed over meanwhile, for the next try.
            m_queue.insert(m_queue.begin(), std::make_move_iterator(batch.begin()),
                           std::make_move_iterator(batch.end()));
            m_stalled = true;
        }
        m_settled.notify_all();
    }
    m_busy = false;
    m_settled.notify_all();
    lock.unlock();
    closeForWriting();
}

bool SqliteJournalStore::openForWriting() {
    const fs::path file(m_path);
    std::error_code ec;
    auto cannot = [&](const std::string& why) {
        closeForWriting();
        setProblem("The mission journal cannot be kept at " + m_path + " (" + why +
                   "). The clock goes on; what happens now is kept until the journal can be "
                   "written.");
        return false;
    };
    if (file.has_parent_path() && !fs::is_directory(file.parent_path(), ec)) {
        fs::create_directories(file.parent_path(), ec);
        if (ec)
            return cannot(ec.message());
    }
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (sqlite3_open_v2(m_path.c_str(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                            nullptr) != SQLITE_OK)
            return cannot(m_db ? sqlite3_errmsg(m_db) : "out of memory");
        sqlite3_busy_timeout(m_db, 5000);
        std::string why;
        const FileKind kind = examine(m_db, why);
        if (kind == FileKind::Journal || kind == FileKind::Empty)
            break;
        // A damaged file or another program's is kept as it is, under a new name.
        closeForWriting();
        if (attempt == 1)
            return cannot(why);
        const fs::path aside = asideName(file, kind == FileKind::Foreign ? "foreign" : "damaged");
        fs::rename(file, aside, ec);
        if (ec)
            return cannot(why + "; it could not be put aside: " + ec.message());
        for (const char* suffix : {"-wal", "-shm"}) {
            fs::path side = file, sideAside = aside;
            side += suffix;
            sideAside += suffix;
            std::error_code ignored;
            if (fs::exists(side, ignored))
                fs::rename(side, sideAside, ignored);
        }
        setNotice("The mission journal at " + m_path + " could not be used (" + why +
                  "); it was kept as " + aside.string() + " and a new journal was begun.");
    }

    std::string error;
    const int layout = std::atoi(pragmaText(m_db, "PRAGMA user_version").c_str());
    const std::string setup =
        "PRAGMA auto_vacuum = INCREMENTAL;"
        "PRAGMA journal_mode = WAL;"
        "PRAGMA synchronous = FULL;"
        "PRAGMA application_id = " + std::to_string(ApplicationId) + ";";
    // The layout is brought up to date in place, in one transaction: nothing is lost.
    const std::string update = std::string("BEGIN IMMEDIATE;") + Schema +
                               (layout < 2 ? SummariseOldRuns : "") + "PRAGMA user_version = " +
                               std::to_string(std::max(layout, SchemaVersion)) + ";COMMIT;";
    if (!exec(m_db, setup, error))
        return cannot(error);
    if (!exec(m_db, update, error)) {
        std::string ignored;
        exec(m_db, "ROLLBACK", ignored);
        return cannot(error);
    }
    if (pragmaText(m_db, "PRAGMA journal_mode") != "wal")
        return cannot("it cannot be kept in WAL mode");
    if (m_maxPages > 0 &&
        !exec(m_db, "PRAGMA max_page_count = " + std::to_string(m_maxPages), error))
        return cannot(error);
    m_lastRun = std::stoll("0" + pragmaText(m_db, "SELECT coalesce(max(run), 0) FROM record"));
    {
        std::lock_guard lock(m_mutex);
        m_opened = true;
    }
    rememberFile();
    return true;
}

std::string SqliteJournalStore::write(std::vector<Item>& batch, std::vector<JournalRecord>& committed) {
    std::string error;
    // Deleting goes first and on its own, so that a full journal can make room.
    if (std::ranges::any_of(batch, [](const Item& i) { return i.deleteRun > 0; })) {
        // A piece at a time, in one transaction, telling how far it got.
        constexpr int Piece = 20000;
        std::vector<std::pair<const Item*, std::int64_t>> deleted;
        bool ok = exec(m_db, "BEGIN IMMEDIATE", error);
        for (const Item& item : batch) {
            if (!ok || item.deleteRun == 0)
                continue;
            const std::string run = std::to_string(item.deleteRun);
            std::int64_t gone = 0;
            for (int changed = Piece; ok && changed == Piece; gone += changed) {
                ok = exec(m_db, "DELETE FROM record WHERE id IN (SELECT id FROM record WHERE run = " +
                                    run + " LIMIT " + std::to_string(Piece) + ")",
                          error);
                changed = ok ? sqlite3_changes(m_db) : 0;
                if (ok && item.progress && changed == Piece)
                    tell([progress = item.progress, sofar = gone + changed] { progress(sofar, false); });
            }
            ok = ok && exec(m_db, "DELETE FROM run_summary WHERE run = " + run, error);
            deleted.emplace_back(&item, gone);
        }
        ok = ok && exec(m_db, "COMMIT", error);
        for (const auto& [item, gone] : deleted)
            if (item->progress)
                tell([progress = item->progress, gone = ok ? gone : 0] { progress(gone, true); });
        if (!ok) {
            std::string ignored;
            exec(m_db, "ROLLBACK", ignored);
            return error;
        }
        std::erase_if(batch, [](const Item& i) { return i.deleteRun > 0; });
        exec(m_db, "PRAGMA incremental_vacuum", error);
        error.clear();
    }
    if (batch.empty())
        return {};
    if (!exec(m_db, "BEGIN IMMEDIATE", error))
        return error;
    // Made once for the open file: compiling it, with the summary's trigger, costs more than
    // the insert itself.
    int rc = SQLITE_OK;
    if (!m_insert)
        rc = sqlite3_prepare_v3(m_db,
                                "INSERT INTO record (run, kind, true_ms, program_ms, count,"
                                " count_seconds, details, launch_file) VALUES (?,?,?,?,?,?,?,?)",
                                -1, SQLITE_PREPARE_PERSISTENT, &m_insert, nullptr);
    sqlite3_stmt* insert = m_insert;
    std::int64_t lastRun = m_lastRun;
    for (Item& item : batch) {
        if (rc != SQLITE_OK)
            break;
        JournalRecord r = item.record;
        r.beginsRun = r.beginsRun || lastRun == 0;
        if (r.beginsRun)
            ++lastRun;
        r.run = lastRun;
        const std::string details = formatDetails(r.details);
        sqlite3_bind_int64(insert, 1, r.run);
        sqlite3_bind_text(insert, 2, r.kind.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int64(insert, 3, r.trueMs);
        if (r.programMs)
            sqlite3_bind_int64(insert, 4, *r.programMs);
        else
            sqlite3_bind_null(insert, 4);
        sqlite3_bind_text(insert, 5, r.count.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int64(insert, 6, r.countSeconds);
        sqlite3_bind_text(insert, 7, details.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 8, r.launchFile.c_str(), -1, SQLITE_TRANSIENT);
        rc = sqlite3_step(insert) == SQLITE_DONE ? SQLITE_OK : SQLITE_ERROR;
        sqlite3_reset(insert);
        r.id = sqlite3_last_insert_rowid(m_db);
        committed.push_back(std::move(r));
    }
    if (rc != SQLITE_OK)
        error = sqlite3_errmsg(m_db);
    if (rc == SQLITE_OK && exec(m_db, "COMMIT", error)) {
        m_lastRun = lastRun;
        return {};
    }
    std::string ignored;
    exec(m_db, "ROLLBACK", ignored);
    committed.clear();
    return error.empty() ? std::string("unknown failure") : error;
}

// From what the journal keeps per run, never from the records themselves: as quick for a
// million records as for ten.
std::vector<JournalRunInfo> SqliteJournalStore::runs() {
    {
        std::lock_guard lock(m_mutex);
        if (!m_opened)
            return {};
    }
    std::vector<JournalRunInfo> out;
    sqlite3* db = nullptr;
    sqlite3_stmt* st = nullptr;
    if (sqlite3_open_v2(m_path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_busy_timeout(db, 5000);
        if (sqlite3_prepare_v2(db,
                               "SELECT run, first_ms, last_ms, records FROM run_summary"
                               " WHERE happenings > 0 ORDER BY run",
                               -1, &st, nullptr) == SQLITE_OK)
            while (sqlite3_step(st) == SQLITE_ROW)
                out.push_back({sqlite3_column_int64(st, 0), sqlite3_column_int64(st, 1),
                               sqlite3_column_int64(st, 2), sqlite3_column_int64(st, 3)});
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return out;
}

std::vector<JournalRecord> SqliteJournalStore::records(std::int64_t run) {
    {
        std::lock_guard lock(m_mutex);
        if (!m_opened)
            return {};
    }
    std::vector<JournalRecord> out;
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(m_path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_busy_timeout(db, 5000);
        std::string error;
        sqlite_journal::readRecords(db, run, out, error);
    }
    sqlite3_close(db);
    return out;
}

} // namespace orvane
