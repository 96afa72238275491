#include "journal/journal_keeper.h"

#include "app.h"
#include "clock/frmOrvane.h"
#include "data/modOpenFile.h"
#include "journal/frmDebrief.h"

namespace orvane {

JournalKeeper::JournalKeeper(App& app, JournalStore& store, DebriefCanvas& canvas)
    : m_app(app), m_store(store), m_canvas(canvas) {
    app.registerForm<frmDebrief>("frmDebrief",
                                 [this](App& a) { return std::make_unique<frmDebrief>(a, *this); });
    app.provide<frmDebrief>(App::Dialog::Debrief);
    m_happenings = app.happenings().subscribe([this](const Happening& h) {
        JournalRecord r = journalRecordOf(h, m_app.services().clock.zone());
        // A hold's true length, from the true instants to the millisecond, beside the whole
        // seconds it moved the launch time.
        if (h.kind == Happening::Kind::Hold)
            m_holdTrueMs = h.at.trueMs;
        if (h.kind == Happening::Kind::Resume && m_holdTrueMs) {
            r.details.emplace_back("held-ms", std::to_string(h.at.trueMs - *m_holdTrueMs));
            m_holdTrueMs.reset();
        }
        // What a hold leaves of an active launch window.
        const bool hold = h.kind == Happening::Kind::Hold || h.kind == Happening::Kind::Resume;
        const LaunchState::Window& window = m_app.launchState().window();
        if (hold && window.active && window.left)
            r.details.emplace_back("window-left", std::to_string(*window.left));
        note(std::move(r));
    });
}

void JournalKeeper::note(JournalRecord r) {
    // A copy that ends because another one runs never started: the journal is the other's.
    if (m_afterExit && r.kind == "exit")
        return;
    r.launchFile = m_app.launchFileNames().openPath;
    // The program starts before it reads its file: the start names the file it is about to
    // read (a follower reads none).
    if (r.kind == "start" && r.launchFile.empty() && !m_app.info().follow)
        r.launchFile = m_app.info().startFile.empty() ? defaultLaunchFile(m_app) : m_app.info().startFile;
    const bool changesLaunch = r.kind == "launch-time" || r.kind == "file-read";
    r.beginsRun = m_afterExit || (changesLaunch && !m_runIsOnlyStart);
    m_runIsOnlyStart = r.beginsRun && r.kind == "start";
    m_afterExit = r.kind == "exit";
    m_store.record(std::move(r));
    if (!m_waitForCommit)
        return;
    m_store.flush();
    const JournalHealth h = m_store.health();
    if (h.problem != m_reportedProblem || h.notice != m_reportedNotice)
        healthChanged();
    committed();
}

// Read from the settings once: it is looked at after every commit.
std::int64_t JournalKeeper::sizeLimitMb() const {
    if (!m_sizeLimitMb) {
        const std::string text = m_app.services().settings.get(
            m_app.info().exeName, JournalSection, JournalSizeKey, "200");
        const auto mb = parseWholeNumber(text);
        m_sizeLimitMb = mb && *mb > 0 ? *mb : 200;
    }
    return *m_sizeLimitMb;
}

void JournalKeeper::setSizeLimitMb(std::int64_t mb) {
    m_app.services().settings.save(m_app.info().exeName, JournalSection, JournalSizeKey,
                                   std::to_string(mb));
    m_sizeLimitMb.reset(); // read again, by the one rule, at the next look
    m_sizeWarned = false;
    committed();
}

std::string JournalKeeper::note() const {
    const JournalHealth h = m_store.health();
    std::string text = h.problem;
    if (!h.notice.empty())
        text += (text.empty() ? "" : "\n") + h.notice;
    if (h.sizeBytes > sizeLimitMb() * 1024 * 1024)
        text += std::string(text.empty() ? "" : "\n") + "The journal has grown past " +
                std::to_string(sizeLimitMb()) + " MB (" +
                std::to_string(h.sizeBytes / (1024 * 1024)) +
                " MB): delete the runs you no longer need.";
    return text;
}

void JournalKeeper::healthChanged() {
    const JournalHealth h = m_store.health();
    if (!h.problem.empty() && h.problem != m_reportedProblem)
        showInStatusBar("Journal: not recorded", h.problem);
    else if (!h.notice.empty() && h.notice != m_reportedNotice)
        showInStatusBar("Journal: a new journal was begun", h.notice);
    else if (h.problem.empty() && !m_reportedProblem.empty())
        showInStatusBar("", "");
    m_reportedProblem = h.problem;
    m_reportedNotice = h.notice;
    if (frmDebrief* debrief = m_app.loaded<frmDebrief>())
        debrief->ShowJournalNote();
}

void JournalKeeper::committed() {
    if (m_sizeWarned || !m_reportedProblem.empty())
        return;
    const JournalHealth h = m_store.health();
    if (h.sizeBytes <= sizeLimitMb() * 1024 * 1024)
        return;
    m_sizeWarned = true;
    showInStatusBar("Journal: past " + std::to_string(sizeLimitMb()) + " MB", note());
}

void JournalKeeper::showInStatusBar(const std::string& shortText, const std::string& fullText) {
    if (m_app.loaded<frmOrvane>())
        m_app.frmOrvane().ShowJournalNote(shortText, fullText);
}

} // namespace orvane
