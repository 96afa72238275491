#include "services/journal.h"

#include "toolkit/quoting.h"

#include <algorithm>
#include <memory>

namespace orvane {

std::string JournalRecord::detail(std::string_view name) const {
    for (const auto& [key, value] : details)
        if (key == name)
            return value;
    return {};
}

std::string formatDetails(const std::vector<std::pair<std::string, std::string>>& details) {
    std::string out;
    for (const auto& [key, value] : details) {
        if (!out.empty())
            out += ' ';
        out += key;
        out += '=';
        appendQuoted(out, value);
    }
    return out;
}

std::optional<std::vector<std::pair<std::string, std::string>>> parseDetails(std::string_view text) {
    std::vector<std::pair<std::string, std::string>> details;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == ' ') {
            ++i;
            continue;
        }
        const std::size_t eq = text.find("=\"", i);
        if (eq == std::string_view::npos)
            return std::nullopt;
        std::string key(text.substr(i, eq - i));
        std::string value;
        i = eq + 2;
        for (;; ++i) {
            if (i >= text.size())
                return std::nullopt;
            char c = text[i];
            if (c == '"')
                break;
            if (c == '\\') {
                if (++i >= text.size())
                    return std::nullopt;
                c = text[i] == 'n' ? '\n' : text[i] == 'r' ? '\r' : text[i];
            }
            value += c;
        }
        ++i;
        details.emplace_back(std::move(key), std::move(value));
    }
    return details;
}

void JournalStore::streamRecords(std::int64_t run, std::function<bool(JournalRecord&&)> each,
                                 std::function<void(std::string)> done) {
    for (JournalRecord& r : records(run))
        if (!each(std::move(r)))
            break;
    if (deliver)
        deliver([done = std::move(done)] { done({}); });
    else
        done({});
}

void JournalStore::readRecords(std::int64_t run, std::size_t most,
                               std::function<void(std::vector<JournalRecord>, std::int64_t)> done) {
    // Gathered on the reader's thread, handed over whole once it is done.
    struct Read {
        std::vector<JournalRecord> records;
        std::int64_t total = 0;
    };
    auto read = std::make_shared<Read>();
    streamRecords(
        run,
        [read, most](JournalRecord&& r) {
            if (read->records.size() < most)
                read->records.push_back(std::move(r));
            ++read->total;
            return true;
        },
        [read, done = std::move(done)](const std::string&) {
            done(std::move(read->records), read->total);
        });
}

bool JournalRecord::isHappening() const {
    return kind != "start" && kind != "exit";
}

std::vector<JournalRunInfo> listRuns(const std::vector<JournalRecord>& records) {
    std::vector<JournalRunInfo> runs;
    std::vector<std::int64_t> rehearsals;
    for (const JournalRecord& r : records) {
        auto it = std::ranges::find(runs, r.run, &JournalRunInfo::run);
        if (it == runs.end()) {
            runs.push_back({r.run, r.trueMs, r.trueMs, 0});
            it = runs.end() - 1;
        }
        it->firstMs = std::min(it->firstMs, r.trueMs);
        it->lastMs = std::max(it->lastMs, r.trueMs);
        ++it->records;
        if (r.isHappening())
            rehearsals.push_back(r.run);
    }
    std::erase_if(runs, [&](const JournalRunInfo& run) {
        return std::ranges::find(rehearsals, run.run) == rehearsals.end();
    });
    std::ranges::sort(runs, {}, &JournalRunInfo::run);
    return runs;
}

void MemoryJournalStore::record(JournalRecord r) {
    r.beginsRun = r.beginsRun || m_lastRun == 0;
    if (r.beginsRun)
        ++m_lastRun;
    r.run = m_lastRun;
    r.id = ++m_lastId;
    m_records.push_back(r);
    if (onCommitted)
        onCommitted(r);
}

void MemoryJournalStore::deleteRun(std::int64_t run, DeleteProgress progress) {
    const auto deleted =
        std::erase_if(m_records, [run](const JournalRecord& r) { return r.run == run; });
    if (progress)
        tell([progress, deleted] { progress(std::int64_t(deleted), true); });
}

std::vector<JournalRunInfo> MemoryJournalStore::runs() {
    return listRuns(m_records);
}

std::vector<JournalRecord> MemoryJournalStore::records(std::int64_t run) {
    std::vector<JournalRecord> out;
    for (const JournalRecord& r : m_records)
        if (run == 0 || r.run == run)
            out.push_back(r);
    return out;
}

} // namespace orvane
