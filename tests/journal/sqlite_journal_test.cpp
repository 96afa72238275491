#include "journal/journal_records.h"
#include "sqlite/sqlite_journal.h"

#include <gtest/gtest.h>

#include <sqlite3.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <fstream>
#include <mutex>

namespace orvane {
namespace {

namespace fs = std::filesystem;

class SqliteJournal : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "orvane-journal-XXXXXX").string();
        ASSERT_TRUE(mkdtemp(pattern.data()));
        dir = pattern;
        path = (dir / "journal.sqlite").string();
    }
    void TearDown() override { fs::remove_all(dir); }

    // The store tells from its own thread.
    void listen(SqliteJournalStore& store) {
        store.onCommitted = [this](const JournalRecord& r) {
            std::lock_guard lock(mutex);
            committed.push_back(r);
        };
        store.onHealthChanged = [this] {
            std::lock_guard lock(mutex);
            ++healthChanges;
        };
    }
    std::string sql(const std::string& query) {
        sqlite3* db = nullptr;
        sqlite3_open(path.c_str(), &db);
        std::string out;
        sqlite3_exec(
            db, query.c_str(),
            [](void* o, int, char** values, char**) {
                *static_cast<std::string*>(o) += values[0] ? values[0] : "NULL";
                return 0;
            },
            &out, nullptr);
        sqlite3_close(db);
        return out;
    }

    fs::path dir;
    std::string path;
    std::mutex mutex;
    std::vector<JournalRecord> committed;
    int healthChanges = 0;
};

TEST_F(SqliteJournal, RecordsAreCommittedInOrderAndReadBackAcrossRuns) {
    {
        SqliteJournalStore store(path);
        listen(store);
        for (JournalRecord r : test::rehearsal())
            store.record(std::move(r));
        store.flush();
        EXPECT_EQ(committed.size(), 14u);
        EXPECT_EQ(committed.back().kind, "exit");
        EXPECT_EQ(store.health().problem, "");
        const auto back = store.records(1);
        ASSERT_EQ(back.size(), 14u);
        EXPECT_EQ(back[7].detail("held"), "90");
        EXPECT_EQ(back[0].launchFile, "/data/launch.ovx");
        EXPECT_EQ(back, committed);
    }
    EXPECT_EQ(sql("PRAGMA journal_mode"), "wal");
    EXPECT_EQ(sql("PRAGMA integrity_check"), "ok");
    // The next program's records begin run 2.
    SqliteJournalStore again(path);
    JournalRecord start = test::journalRecord("start", 1000, 600);
    start.beginsRun = true;
    again.record(start);
    again.flush();
    // A run of nothing but the program's start is no rehearsal: kept, not listed.
    ASSERT_EQ(again.runs().size(), 1u);
    again.record(test::journalRecord("hold", 1001, 599));
    again.flush();
    const std::vector<JournalRunInfo> listed = again.runs();
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(listed[0], (JournalRunInfo{1, test::RunStartMs, test::RunStartMs + 800000, 14}));
    EXPECT_EQ(listed[1], (JournalRunInfo{2, test::RunStartMs + 1000000, test::RunStartMs + 1001000, 2}));
    const JournalFileContent file = readJournalFile(path);
    EXPECT_EQ(file.error, "");
    EXPECT_EQ(file.records.size(), 16u);
    again.deleteRun(1);
    again.flush();
    EXPECT_EQ(again.records(0).size(), 2u);
    EXPECT_EQ(again.runs().size(), 1u);
}

// A long run goes a piece at a time, and the window hears how far the delete got.
TEST_F(SqliteJournal, DeletingALongRunTellsHowManyRecordsAreGone) {
    {
        SqliteJournalStore store(path);
        for (JournalRecord r : test::rehearsal())
            store.record(std::move(r));
        store.flush();
    }
    sql("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 45001) "
        "INSERT INTO record (run, kind, true_ms, count, count_seconds, details, launch_file) "
        "SELECT 2, 'hold', i, 'T - 1', 1, '', '' FROM n");
    SqliteJournalStore store(path);
    std::vector<std::pair<std::int64_t, bool>> told;
    store.deleteRun(2, [&](std::int64_t deleted, bool done) {
        std::lock_guard lock(mutex);
        told.emplace_back(deleted, done);
    });
    store.flush();
    std::lock_guard lock(mutex);
    EXPECT_EQ(told, (std::vector<std::pair<std::int64_t, bool>>{
                        {20000, false}, {40000, false}, {45001, true}}));
    EXPECT_EQ(sql("SELECT count(*) FROM record"), "14");
    EXPECT_EQ(sql("SELECT group_concat(run) FROM run_summary"), "1");
}

// A journal written before runs were summarised opens in today's program, brought to the new
// layout in place, with every record kept and every run listed.
TEST_F(SqliteJournal, AnOlderJournalIsBroughtUpToDateInPlaceWithNothingLost) {
    {
        SqliteJournalStore seed(path);
        for (JournalRecord r : test::rehearsal())
            seed.record(std::move(r));
        JournalRecord start = test::journalRecord("start", 900, 600);
        start.beginsRun = true;
        seed.record(start);
    }
    ASSERT_EQ(sql("DROP TABLE run_summary; DROP TRIGGER run_summary_kept; PRAGMA user_version = 1;"
                  "PRAGMA user_version"),
              "1");
    SqliteJournalStore store(path);
    JournalRecord start = test::journalRecord("start", 1000, 600);
    start.beginsRun = true;
    store.record(start);
    store.record(test::journalRecord("hold", 1002, 598));
    store.flush();
    EXPECT_EQ(sql("PRAGMA user_version"), "2");
    const std::vector<JournalRunInfo> listed = store.runs();
    ASSERT_EQ(listed.size(), 2u);
    EXPECT_EQ(listed[0], (JournalRunInfo{1, test::RunStartMs, test::RunStartMs + 800000, 14}));
    EXPECT_EQ(listed[1], (JournalRunInfo{3, test::RunStartMs + 1000000, test::RunStartMs + 1002000, 2}));
    EXPECT_EQ(store.records(0).size(), 17u);
    EXPECT_EQ(sql("SELECT records FROM run_summary WHERE run = 2"), "1");
    EXPECT_EQ(sql("PRAGMA integrity_check"), "ok");
}

// Replaced by another file, or cut short, under the running program: noticed at the next
// commit, said, what lies there kept aside, and a new journal begun with nothing refused.
TEST_F(SqliteJournal, AJournalReplacedOrCutShortUnderTheProgramIsKeptAsideAndBegunAgain) {
    const std::function<void(const std::string&)> spoil[] = {
        [](const std::string& p) { fs::resize_file(p, 0); },
        [this](const std::string& p) {
            std::ofstream(dir / "other") << "someone else's file";
            fs::rename(dir / "other", p);
        },
        [](const std::string& p) { fs::remove(p); },
    };
    for (const auto& change : spoil) {
        fs::remove_all(dir);
        fs::create_directory(dir);
        SqliteJournalStore store(path);
        store.record(test::journalRecord("start", 0, 600));
        store.record(test::journalRecord("hold", 1, 599));
        store.flush();
        change(path);
        store.record(test::journalRecord("resume", 5, 599));
        store.flush();
        const JournalHealth h = store.health();
        EXPECT_EQ(h.problem, "");
        EXPECT_NE(h.notice.find("was replaced or cut short while Orvane was running"),
                  std::string::npos) << h.notice;
        const auto kept = store.records(0);
        ASSERT_EQ(kept.size(), 1u);
        EXPECT_EQ(kept[0].kind, "resume");
        int aside = 0;
        for (const auto& entry : fs::directory_iterator(dir))
            aside += entry.path().filename().string().starts_with("journal.sqlite.replaced-");
        EXPECT_EQ(aside, fs::exists(path) && h.notice.find("it is gone") == std::string::npos ? 1 : 0)
            << h.notice;
    }
}

// A journal that cannot be written holds back a bounded number of records; the rest are
// counted and said, and at the end the program learns how many never went in.
TEST_F(SqliteJournal, RecordsWaitingForAJournalThatCannotBeWrittenAreBoundedAndCounted) {
    std::ofstream(dir / "plain") << "a file, not a folder";
    path = (dir / "plain" / "journal.sqlite").string();
    SqliteJournalStore store(path);
    for (int i = 0; i < 20005; ++i)
        store.record(test::journalRecord("hold", i, 600));
    store.flush();
    EXPECT_NE(store.health().problem.find("cannot be kept at"), std::string::npos);
    EXPECT_EQ(store.health().notice, "5 records were lost, as 20000 were already waiting for the "
                                     "mission journal.");
    EXPECT_EQ(store.finish(std::chrono::milliseconds(0)), 20005u);
    store.record(test::journalRecord("exit", 9, 600));
    EXPECT_EQ(store.finish(std::chrono::milliseconds(0)), 6u) << "after the end, a record is lost";
}

TEST_F(SqliteJournal, ADamagedJournalIsKeptAsideAndANewOneBegun) {
    const std::string garbage(8192, 'x');
    std::ofstream(path, std::ios::binary) << garbage;
    SqliteJournalStore store(path);
    listen(store);
    store.record(test::journalRecord("start", 0, 600));
    store.flush();
    EXPECT_EQ(committed.size(), 1u);
    const JournalHealth h = store.health();
    EXPECT_EQ(h.problem, "");
    EXPECT_NE(h.notice.find("it was kept as " + path + ".damaged-"), std::string::npos) << h.notice;
    int aside = 0;
    for (const auto& entry : fs::directory_iterator(dir))
        if (entry.path().filename().string().starts_with("journal.sqlite.damaged-")) {
            ++aside;
            std::ifstream in(entry.path(), std::ios::binary);
            EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), garbage);
        }
    EXPECT_EQ(aside, 1);
    EXPECT_EQ(readJournalFile(path + ".nothing").error, "there is no journal at " + path + ".nothing");
}

TEST_F(SqliteJournal, AnotherProgramsDatabaseIsNeverWrittenInto) {
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    sqlite3_exec(db, "CREATE TABLE notes(t TEXT); INSERT INTO notes VALUES('mine')", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    EXPECT_NE(readJournalFile(path).error.find("not a journal of this program"), std::string::npos);
    SqliteJournalStore store(path);
    store.record(test::journalRecord("start", 0, 600));
    store.flush();
    EXPECT_NE(store.health().notice.find(".foreign-"), std::string::npos);
    EXPECT_EQ(store.records(0).size(), 1u);
}

TEST_F(SqliteJournal, AJournalUnderARegularFileIsReportedAndNothingCountsAsRecorded) {
    std::ofstream(dir / "plain") << "a file, not a folder";
    path = (dir / "plain" / "journal.sqlite").string();
    SqliteJournalStore store(path);
    listen(store);
    store.record(test::journalRecord("start", 0, 600));
    store.record(test::journalRecord("hold", 10, 590));
    store.flush();
    EXPECT_TRUE(committed.empty());
    EXPECT_NE(store.health().problem.find("cannot be kept at " + path), std::string::npos);
    store.record(test::journalRecord("resume", 20, 590));
    store.flush();
    EXPECT_EQ(healthChanges, 1); // reported once
}

TEST_F(SqliteJournal, AFullJournalIsReportedAndTakesRecordsAgainOnceRunsAreDeleted) {
    {
        SqliteJournalStore seed(path);
        for (JournalRecord r : test::rehearsal())
            seed.record(std::move(r));
        seed.record(test::journalRecord("file-saved", 850, -130, {{"path", std::string(30000, 's')}}));
    }
    const std::int64_t pages = std::stoll(sql("PRAGMA page_count"));
    SqliteJournalStore store(path, pages);
    listen(store);
    JournalRecord big = test::journalRecord("file-read", 900, 600, {{"path", std::string(20000, 'p')}});
    big.beginsRun = true;
    store.record(big);
    store.flush();
    EXPECT_TRUE(committed.empty());
    EXPECT_NE(store.health().problem.find("cannot be written (database or disk is full)"), std::string::npos)
        << store.health().problem;
    store.deleteRun(1);
    store.flush();
    ASSERT_EQ(committed.size(), 1u);
    EXPECT_EQ(committed[0].run, 2);
    EXPECT_EQ(store.health().problem, "");
    EXPECT_EQ(healthChanges, 2); // the problem, then its end
}

} // namespace
} // namespace orvane
