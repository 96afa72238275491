#pragma once

// The mission journal as a platform service: a store of plain records of what happened, kept
// in a file by the real program and in memory for scripts and tests. The program hands a
// record over and goes on at once; a record counts as recorded only once the store has
// committed it, and the store then tells whoever listens.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orvane {

// One thing that happened, as the journal keeps it.
struct JournalRecord {
    std::int64_t id = 0;  // the store's number for it, rising; 0 until committed
    std::int64_t run = 0; // the run it belongs to; 0 until committed
    // A single lower-case word: hold, resume, launch-time, window-set, window-warned,
    // window-expired, event-defined, event-removed, event-passed, liftoff, sim-time,
    // sim-restored, file-read, file-saved, start, exit, built-in-hold, built-in-hold-end,
    // remote-command, device-paired, pairing-refused, device-forgotten.
    std::string kind;
    // The true instant, in Unix milliseconds.
    std::int64_t trueMs = 0;
    // The program's clock when it differs from the true time (a simulated mission time).
    std::optional<std::int64_t> programMs;
    // The count as shown, "T - 000 00:09:00", and as seconds to launch (positive before).
    std::string count;
    std::int64_t countSeconds = 0;
    // What changed, as name and value, in a fixed order for each kind.
    std::vector<std::pair<std::string, std::string>> details;
    // The launch data file in use (full path; empty when none).
    std::string launchFile;
    // This record begins a new run: the program says so when it hands the record over; read
    // back, it is the first of its run.
    bool beginsRun = false;

    // The value of a detail, or empty.
    std::string detail(std::string_view name) const;
    // Anything but the program's start and exit: a run that holds none is no rehearsal.
    bool isHappening() const;
    bool operator==(const JournalRecord&) const = default;
};

// A run as the store lists it.
struct JournalRunInfo {
    std::int64_t run = 0;
    std::int64_t firstMs = 0, lastMs = 0;
    std::int64_t records = 0;
    bool operator==(const JournalRunInfo&) const = default;
};

// What the store can tell about itself.
struct JournalHealth {
    // Why records cannot be kept now, in the user's words; empty while all is well. A
    // problem that has passed (a full journal after runs were deleted) is cleared.
    std::string problem;
    // A notice that stays: a damaged journal put aside, with where it went.
    std::string notice;
    std::string path;          // the journal's file; empty when kept in memory
    std::int64_t sizeBytes = 0;
};

class JournalStore {
  public:
    virtual ~JournalStore() = default;

    // Hands a record over. Never waits for the disk.
    virtual void record(JournalRecord r) = 0;
    // Deletes a run (the user's choice, from the Debrief window). PROGRESS, when given, hears
    // through deliver how many of its records are gone so far, and last with DONE set (none
    // gone when the delete failed: the journal's health tells why).
    using DeleteProgress = std::function<void(std::int64_t deleted, bool done)>;
    virtual void deleteRun(std::int64_t run, DeleteProgress progress = {}) = 0;
    // Waits until everything handed over so far is committed or refused.
    virtual void flush() = 0;

    // Told of each record once it is committed, in order, on the store's own thread (the
    // memory store: inside record()). Set before the first record.
    std::function<void(const JournalRecord&)> onCommitted;
    // Told when health() changes (a problem met or gone, a notice), on the store's thread.
    std::function<void()> onHealthChanged;

    virtual JournalHealth health() const = 0;

    // How answers come back to the user-interface thread: the program sets it to post TASK
    // there. Unset, they come at once, on whatever thread has them.
    std::function<void(std::function<void()>)> deliver;
    // Hands the records of RUN (0: all), in order, to EACH one at a time, off the caller's
    // thread (EACH must touch nothing of the user interface), until EACH says no more; then
    // DONE, through deliver, with why they stopped short, or empty. This store: at once.
    virtual void streamRecords(std::int64_t run, std::function<bool(JournalRecord&&)> each,
                               std::function<void(std::string)> done);
    // TASK on the user-interface thread, through deliver (at once when it is unset).
    void tell(std::function<void()> task) {
        if (deliver)
            deliver(std::move(task));
        else
            task();
    }
    // The first MOST records of RUN, and how many it holds, to DONE through deliver.
    void readRecords(std::int64_t run, std::size_t most,
                     std::function<void(std::vector<JournalRecord>, std::int64_t)> done);
    // The runs kept that hold anything but the program's start and exit, oldest first.
    virtual std::vector<JournalRunInfo> runs() = 0;
    // The records of one run, in order; run 0: every record.
    virtual std::vector<JournalRecord> records(std::int64_t run) = 0;
};

// Details as the transcript and the store write them: name="value" pairs separated by a
// blank, with \" \\ \n \r escaped inside the quotes.
std::string formatDetails(const std::vector<std::pair<std::string, std::string>>& details);
std::optional<std::vector<std::pair<std::string, std::string>>> parseDetails(std::string_view text);

// A store in memory: commits at once.
class MemoryJournalStore : public JournalStore {
  public:
    void record(JournalRecord r) override;
    void deleteRun(std::int64_t run, DeleteProgress progress = {}) override;
    void flush() override {}
    JournalHealth health() const override { return {}; }
    std::vector<JournalRunInfo> runs() override;
    std::vector<JournalRecord> records(std::int64_t run) override;

  private:
    std::vector<JournalRecord> m_records;
    std::int64_t m_lastId = 0;
    std::int64_t m_lastRun = 0;
};

// Lists the runs that hold a happening from records ordered by id.
std::vector<JournalRunInfo> listRuns(const std::vector<JournalRecord>& records);

} // namespace orvane
