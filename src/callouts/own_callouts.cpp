// The team's own callouts: a list of entries, each a T-time and the words said then, kept in
// the countdown plan while one is open and otherwise in the settings. An entry's words take
// the place of whatever else its second would say.

#include "callouts/callouts.h"

#include "app.h"
#include "callouts/frmCallouts.h"

#include <algorithm>
#include <cstdlib>

namespace orvane {

void Callouts::loadEntries() {
    Settings& s = m_app.services().settings;
    const std::string& app = m_app.info().exeName;
    const std::size_t count = std::min<std::size_t>(
        std::size_t(std::max(0, std::atoi(s.get(app, Section, "Entries", "0").c_str()))),
        MaxCalloutEntries);
    m_ownEntries.clear();
    for (std::size_t i = 1; i <= count; ++i) {
        std::string wrong;
        // An entry spoilt by hand is passed over, as is one at a T-time taken already.
        const auto e = readCalloutEntry(s.get(app, Section, "Entry " + std::to_string(i), ""),
                                        wrong);
        if (e && !checkCalloutEntry(m_ownEntries, *e, std::nullopt))
            m_ownEntries.push_back(*e);
    }
}

void Callouts::saveEntries() const {
    Settings& s = m_app.services().settings;
    const std::string& app = m_app.info().exeName;
    s.save(app, Section, "Entries", std::to_string(m_ownEntries.size()));
    for (std::size_t i = 0; i < m_ownEntries.size(); ++i)
        s.save(app, Section, "Entry " + std::to_string(i + 1), formatCalloutEntry(m_ownEntries[i]));
}

bool Callouts::entriesInPlan() const {
    return m_app.launchState().plan().open();
}

const std::vector<CalloutEntry>& Callouts::entries() const {
    return entriesInPlan() ? m_app.launchState().plan().callouts() : m_ownEntries;
}

void Callouts::keepEntries(std::vector<CalloutEntry> entries) {
    if (entriesInPlan())
        m_app.launchState().plan().callouts() = std::move(entries);
    else {
        m_ownEntries = std::move(entries);
        saveEntries();
    }
    entriesChanged();
}

std::optional<std::string> Callouts::setEntry(std::size_t n, const CalloutEntry& entry) {
    std::vector<CalloutEntry> list = entries();
    const bool adding = n >= list.size();
    if (auto wrong =
            checkCalloutEntry(list, entry, adding ? std::nullopt : std::optional<std::size_t>(n)))
        return wrong;
    if (adding)
        list.push_back(entry);
    else
        list[n] = entry;
    keepEntries(std::move(list));
    return std::nullopt;
}

void Callouts::removeEntry(std::size_t n) {
    std::vector<CalloutEntry> list = entries();
    if (n >= list.size())
        return;
    list.erase(list.begin() + std::ptrdiff_t(n));
    keepEntries(std::move(list));
}

void Callouts::entriesChanged() {
    prepareAll();
    if (m_seen)
        planAhead(m_seen->second);
    if (frmCallouts* dialog = m_app.loaded<frmCallouts>())
        dialog->ShowEntries();
}

const CalloutEntry* Callouts::entryAt(std::int64_t seconds) const {
    for (const CalloutEntry& e : entries())
        if (e.toLaunch == seconds)
            return &e;
    return nullptr;
}

std::vector<std::string> Callouts::cuesNow(std::int64_t seconds) const {
    std::vector<std::string> cues;
    const bool tone = toneAt(seconds, m_choices);
    if (tone)
        cues.emplace_back();
    // The team's words win over a family's, and are said with the tone even where the tone
    // stands in for the count's words.
    if (const CalloutEntry* e = entryAt(seconds))
        cues.push_back(e->words);
    else if (auto cue = countCue(seconds, m_choices); cue && !(tone && m_choices.toneAlone))
        cues.push_back(*cue);
    return cues;
}

std::optional<std::int64_t> Callouts::overlap(std::size_t n) const {
    const std::vector<CalloutEntry>& list = entries();
    if (!m_output || n >= list.size())
        return std::nullopt;
    const std::optional<int> spoken = m_output->spokenMs(list[n].words);
    if (!spoken)
        return std::nullopt;
    // The next cue is the first second below the entry's that says something: only those
    // within its spoken length matter.
    // A tone sounds over the words and cuts nothing: only words are a next cue here.
    const std::int64_t at = list[n].toLaunch;
    for (std::int64_t k = 1; k * 1000 < *spoken; ++k)
        for (const std::string& cue : cuesNow(at - k))
            if (!cue.empty())
                return *spoken - k * 1000;
    return std::nullopt;
}

} // namespace orvane
