#include "sqlite/sqlite_journal.h"
#include "sqlite/sqlite_journal_detail.h"

#include <filesystem>
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
        r.beginsRun = out.empty() || out.back().run != r.run;
        out.push_back(std::move(r));
    }
    const bool ok = rc == SQLITE_DONE;
    if (!ok)
        error = sqlite3_errmsg(db);
    sqlite3_finalize(st);
    return ok;
}

} // namespace sqlite_journal

JournalFileContent readJournalFile(const std::string& path) {
    using namespace sqlite_journal;
    JournalFileContent content;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        content.error = "there is no journal at " + path;
        return content;
    }
    sqlite3* db = nullptr;
    // No SQLITE_OPEN_CREATE: an export never makes a journal.
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        content.error = "cannot open the journal " + path + ": " + sqlite3_errmsg(db);
        sqlite3_close(db);
        return content;
    }
    sqlite3_busy_timeout(db, 5000);
    std::string why;
    switch (examine(db, why)) {
    case FileKind::Empty:
        break;
    case FileKind::Journal:
        if (!readRecords(db, 0, content.records, why))
            content.error = "cannot read the journal " + path + ": " + why;
        break;
    case FileKind::Foreign:
    case FileKind::Damaged:
        content.error = "cannot read the journal " + path + ": " + why;
        break;
    }
    sqlite3_close(db);
    return content;
}

} // namespace orvane
