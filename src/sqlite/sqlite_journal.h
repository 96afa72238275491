#pragma once

// The mission journal in an SQLite file. One writer thread owns the file: records handed over
// wait in a queue, and the writer commits whatever has gathered in one transaction (WAL,
// synchronous=FULL), so the count never waits for the disk and a crash or power cut loses at
// most what was still queued. Readers (the Debrief window, the exports) open connections of
// their own, which WAL lets read while the writer writes.
//
// A file that is damaged or is not a journal is put aside under a new name, never
// overwritten, and a new journal is begun. A file that cannot be written (no folder, a full
// disk, the journal's page limit) is reported once; the records wait and go in when it can be
// written again, and the program goes on.

#include "services/journal.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace orvane {

class SqliteJournalStore : public JournalStore {
  public:
    // PATH: the journal's file, made with its folder when missing. MAXPAGES, when above zero,
    // caps the file at that many pages (as a full disk would).
    explicit SqliteJournalStore(std::string path, std::int64_t maxPages = 0);
    // Commits what is queued, then ends the writer.
    ~SqliteJournalStore() override;
    SqliteJournalStore(const SqliteJournalStore&) = delete;
    SqliteJournalStore& operator=(const SqliteJournalStore&) = delete;

    void record(JournalRecord r) override;
    void deleteRun(std::int64_t run, DeleteProgress progress = {}) override;
    void flush() override;
    // Waits at most BOUND for what is handed over to be committed, then gives up the rest and
    // takes nothing more: how many records were not written (lost earlier ones included).
    std::size_t finish(std::chrono::milliseconds bound);
    JournalHealth health() const override;
    std::vector<JournalRunInfo> runs() override;
    std::vector<JournalRecord> records(std::int64_t run) override;
    // On a reader thread of the store's own, a job at a time; at most a few wait.
    void streamRecords(std::int64_t run, std::function<bool(JournalRecord&&)> each,
                       std::function<void(std::string)> done) override;
    // Reads on the caller's thread and answers at once instead (scripts, which wait for each
    // record's commit too).
    bool readAtOnce = false;

  private:
    struct ReadJob {
        std::int64_t run;
        std::function<bool(JournalRecord&&)> each;
        std::function<void(std::string)> done;
    };
    void readerLoop();
    std::string read(ReadJob& job);
    void answer(std::function<void(std::string)> done, std::string why);
    struct Item {
        JournalRecord record;
        std::int64_t deleteRun = 0; // above zero: delete that run instead
        DeleteProgress progress;
    };
    void writerLoop();
    // Opens the file for writing, putting a damaged or foreign one aside. False with the
    // problem set when it cannot.
    bool openForWriting();
    // Writes a batch in one transaction; empty on success, else why not.
    std::string write(std::vector<Item>& batch, std::vector<JournalRecord>& committed);
    void setProblem(const std::string& problem);
    // Noticing the file replaced or cut short under the program, and beginning again.
    void rememberFile();
    bool replacedMeanwhile() const;
    void beginAgain();
    void setNotice(const std::string& notice);
    // Closes the file the writer has open, with the statement kept for it.
    void closeForWriting();

    const std::string m_path;
    const std::int64_t m_maxPages;

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;    // the writer: work or the end
    std::condition_variable m_settled; // flush(): the writer is idle
    // Records waiting for the writer; past MostWaiting (a journal that cannot be written for a
    // long time) new ones are lost, counted and said.
    static constexpr std::size_t MostWaiting = 20000;
    std::deque<Item> m_queue;
    std::size_t m_inFlight = 0; // taken by the writer, not yet committed
    std::int64_t m_lost = 0;
    bool m_finishing = false;
    bool m_busy = false;
    bool m_stalled = false; // the last attempt failed; wait for something new
    bool m_stop = false;
    bool m_opened = false; // the file is a sound journal, open for writing
    std::string m_problem;
    std::string m_notice;

    // Only the writer thread touches these.
    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_insert = nullptr; // a record's insert, made at the first
    std::int64_t m_lastRun = 0;
    struct FileId {
        std::uint64_t device, inode;
        std::int64_t size;
    };
    std::optional<FileId> m_known;

    std::thread m_writer;

    // The reader: jobs waiting, at most MostReadJobs; started with the first.
    static constexpr std::size_t MostReadJobs = 8;
    std::mutex m_readMutex;
    std::condition_variable m_readWake;
    std::deque<ReadJob> m_readJobs;
    std::atomic<bool> m_readStop = false;
    std::thread m_reader;
};

// Reads a journal file without making one (the command-line exports). Error: why not, in
// the user's words.
struct JournalFileContent {
    std::vector<JournalRecord> records;
    std::string error;
};
JournalFileContent readJournalFile(const std::string& path);

// Reads the records of a journal file one at a time, without making a journal and without
// holding more than one: the last run in which anything happened, run RUN, or all. Empty on
// success, else why not (no journal, no such run), in the user's words.
enum class JournalChoice { LastRun, Run, All };
std::string readJournalRecords(const std::string& path, JournalChoice choice, std::int64_t run,
                               const std::function<bool(JournalRecord&&)>& each);

} // namespace orvane
