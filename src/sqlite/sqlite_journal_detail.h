#pragma once

// What the journal's writer and its readers share: the file's identity and its one table.

#include "services/journal.h"

#include <sqlite3.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace orvane::sqlite_journal {

// PRAGMA application_id of a journal file: "ORVJ".
inline constexpr std::int32_t ApplicationId = 0x4F52564A;
// 1: the records alone. 2: beside them, what each run holds, kept as records are written.
inline constexpr int SchemaVersion = 2;

// Records other than the program's start and exit: a run without any is no rehearsal.
#define ORVANE_HAPPENING_SQL(kind) "(" kind " NOT IN ('start', 'exit'))"

inline constexpr const char* Schema =
    "CREATE TABLE IF NOT EXISTS record ("
    " id INTEGER PRIMARY KEY,"
    " run INTEGER NOT NULL,"
    " kind TEXT NOT NULL,"
    " true_ms INTEGER NOT NULL,"
    " program_ms INTEGER,"
    " count TEXT NOT NULL,"
    " count_seconds INTEGER NOT NULL,"
    " details TEXT NOT NULL,"
    " launch_file TEXT NOT NULL);"
    "CREATE INDEX IF NOT EXISTS record_run ON record(run);"
    "CREATE TABLE IF NOT EXISTS run_summary ("
    " run INTEGER PRIMARY KEY,"
    " first_ms INTEGER NOT NULL,"
    " last_ms INTEGER NOT NULL,"
    " records INTEGER NOT NULL,"
    " happenings INTEGER NOT NULL);"
    "CREATE TRIGGER IF NOT EXISTS run_summary_kept AFTER INSERT ON record BEGIN"
    " INSERT INTO run_summary (run, first_ms, last_ms, records, happenings)"
    " VALUES (NEW.run, NEW.true_ms, NEW.true_ms, 1, " ORVANE_HAPPENING_SQL("NEW.kind") ")"
    " ON CONFLICT(run) DO UPDATE SET first_ms = min(first_ms, NEW.true_ms),"
    " last_ms = max(last_ms, NEW.true_ms), records = records + 1,"
    " happenings = happenings + " ORVANE_HAPPENING_SQL("NEW.kind") ";"
    " END;";

// A journal of layout 1 brought to layout 2 in place: the summary of every run it holds.
inline constexpr const char* SummariseOldRuns =
    "INSERT OR REPLACE INTO run_summary (run, first_ms, last_ms, records, happenings)"
    " SELECT run, min(true_ms), max(true_ms), count(*), sum(" ORVANE_HAPPENING_SQL("kind") ")"
    " FROM record GROUP BY run;";

#undef ORVANE_HAPPENING_SQL

// What an opened file is.
enum class FileKind { Journal, Empty, Foreign, Damaged };
// Looks at an open database: a journal of ours, a new empty file, another program's file, or
// a damaged one (WHY says how).
FileKind examine(sqlite3* db, std::string& why);

// The single value of a one-row query, as text; empty on any failure.
std::string pragmaText(sqlite3* db, const char* sql);

// "journal.sqlite.damaged-20261207T011500Z": a name beside FILE for it kept aside, WHY
// ("damaged", "foreign", "replaced"), never that of another file.
std::filesystem::path asideName(const std::filesystem::path& file, const char* why);

// The records of one run (0: all), in order.
bool readRecords(sqlite3* db, std::int64_t run, std::vector<JournalRecord>& out, std::string& error);
// The same, one at a time as they are read, until EACH says no more.
bool eachRecord(sqlite3* db, std::int64_t run, const std::function<bool(JournalRecord&&)>& each,
                std::string& error);

} // namespace orvane::sqlite_journal
