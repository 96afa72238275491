#include "services/journal.h"

#include "toolkit/quoting.h"

#include <algorithm>

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

std::vector<JournalRunInfo> listRuns(const std::vector<JournalRecord>& records) {
    std::vector<JournalRunInfo> runs;
    for (const JournalRecord& r : records) {
        auto it = std::ranges::find(runs, r.run, &JournalRunInfo::run);
        if (it == runs.end()) {
            runs.push_back({r.run, r.trueMs, r.trueMs, 0});
            it = runs.end() - 1;
        }
        it->firstMs = std::min(it->firstMs, r.trueMs);
        it->lastMs = std::max(it->lastMs, r.trueMs);
        ++it->records;
    }
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

void MemoryJournalStore::deleteRun(std::int64_t run) {
    std::erase_if(m_records, [run](const JournalRecord& r) { return r.run == run; });
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
