#pragma once

// What the journal's writer and its readers share: the file's identity and its one table.

#include "services/journal.h"

#include <sqlite3.h>

#include <cstdint>
#include <string>
#include <vector>

namespace orvane::sqlite_journal {

// PRAGMA application_id of a journal file: "ORVJ".
inline constexpr std::int32_t ApplicationId = 0x4F52564A;
inline constexpr int SchemaVersion = 1;

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
    "CREATE INDEX IF NOT EXISTS record_run ON record(run);";

// What an opened file is.
enum class FileKind { Journal, Empty, Foreign, Damaged };
// Looks at an open database: a journal of ours, a new empty file, another program's file, or
// a damaged one (WHY says how).
FileKind examine(sqlite3* db, std::string& why);

// The single value of a one-row query, as text; empty on any failure.
std::string pragmaText(sqlite3* db, const char* sql);

// The records of one run (0: all), in order.
bool readRecords(sqlite3* db, std::int64_t run, std::vector<JournalRecord>& out, std::string& error);

} // namespace orvane::sqlite_journal
