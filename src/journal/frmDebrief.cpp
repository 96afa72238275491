#include "journal/frmDebrief.h"

#include "app.h"
#include "journal/debrief.h"
#include "journal/journal_keeper.h"
#include "services/file_io.h"

#include <algorithm>

namespace orvane {

namespace {

constexpr int TwipsPerPixel = 15;
constexpr double RowPixels = 18;
// How many records an export writes between telling the window.
constexpr std::int64_t ProgressEvery = 5000;

} // namespace

frmDebrief::frmDebrief(App& app, JournalKeeper& keeper)
    : Form(app.services(), "frmDebrief"), m_app(app), m_keeper(keeper) {
    setCaption("Debrief");
    setCentered(true);
    layOut();

    onLoad = [this] {
        txtSizeLimit.setText(std::to_string(m_keeper.sizeLimitMb()));
        Refresh();
    };
    cmdPrevRun.onClick = [this] { StepRun(-1); };
    cmdNextRun.onClick = [this] { StepRun(1); };
    chkAllRuns.onClick = [this] {
        m_allRuns = chkAllRuns.value() == 1;
        ShowRun();
    };
    cmdRefresh.onClick = [this] { Refresh(); };
    vsbTable.onChange = [this] { DrawTable(); };
    txtSizeLimit.onChange = [this] { SetSizeLimit(); };
    cmdExportCsv.onClick = [this] { Export(false); };
    cmdExportHtml.onClick = [this] { Export(true); };
    cmdDeleteRun.onClick = [this] { DeleteRun(); };
    cmdClose.onClick = [this] { m_app.unload(*this); };
}

void frmDebrief::layOut() {
    move(0, 0, 11520, 9060);
    lblRun.move(240, 180, 6600, 300);
    lblRun.setFont({9.0, true, {}});
    cmdPrevRun.setCaption("< &Previous");
    cmdPrevRun.move(6960, 120, 1140, 375);
    cmdNextRun.setCaption("&Next >");
    cmdNextRun.move(8160, 120, 1140, 375);
    chkAllRuns.setCaption("&All runs");
    chkAllRuns.move(9420, 150, 1800, 330);
    picTimeline.move(240, 600, 10920, 4050);
    picTimeline.setBackColor(0xFFFFFF);
    // Two lines: a run with a countdown plan adds its built-in holds and slip to the totals.
    lblTotals.move(240, 4710, 10920, 480);
    cmdRefresh.setCaption("&Refresh");
    cmdRefresh.setVisible(true);
    picTable.move(240, 5280, 10680, 2280);
    picTable.setBackColor(0xFFFFFF);
    vsbTable.move(10920, 5280, 240, 2280);
    lblJournal.move(240, 7650, 10920, 480);
    lblJournal.setWordWrap(true);
    lblSizeLimit.setCaption("Size warning (MB):");
    lblSizeLimit.move(240, 8310, 1740, 300);
    txtSizeLimit.move(1980, 8250, 900, 360);
    cmdExportCsv.setCaption("Export &CSV . . .");
    cmdExportCsv.move(4080, 8220, 1560, 420);
    cmdExportHtml.setCaption("Export &HTML . . .");
    cmdExportHtml.move(5700, 8220, 1620, 420);
    cmdDeleteRun.setCaption("&Delete Run . . .");
    cmdDeleteRun.move(7380, 8220, 1560, 420);
    cmdRefresh.move(9000, 8220, 1020, 420);
    cmdClose.setCaption("&Close");
    cmdClose.setCancel(true);
    cmdClose.move(10080, 8220, 1080, 420);
}

// Lists the runs from what the journal keeps of each, without waiting for its writer: what
// is still on its way shows at the next Refresh.
void frmDebrief::Refresh() {
    m_runs = m_keeper.store().runs();
    const bool known = std::ranges::find(m_runs, m_run, &JournalRunInfo::run) != m_runs.end();
    if (!known)
        m_run = m_runs.empty() ? 0 : m_runs.back().run;
    ShowRun();
    ShowJournalNote();
}

void frmDebrief::StepRun(int by) {
    auto it = std::ranges::find(m_runs, m_run, &JournalRunInfo::run);
    if (it == m_runs.end())
        return;
    const auto at = std::clamp<std::ptrdiff_t>(it - m_runs.begin() + by, 0,
                                               std::ptrdiff_t(m_runs.size()) - 1);
    m_run = m_runs[std::size_t(at)].run;
    ShowRun();
}

// Shows the run's caption at once, and its records once they are read, off the
// user-interface thread: the count goes on while a long run is read.
void frmDebrief::ShowRun() {
    const TimeZone zone = services().clock.zone();
    const auto it = std::ranges::find(m_runs, m_run, &JournalRunInfo::run);
    const std::ptrdiff_t place = it - m_runs.begin();
    if (m_runs.empty())
        lblRun.setCaption("The journal holds no runs yet.");
    else if (m_allRuns)
        lblRun.setCaption("All " + std::to_string(m_runs.size()) + " runs");
    else
        lblRun.setCaption("Run " + std::to_string(place + 1) + " of " + std::to_string(m_runs.size()) +
                          ": " + localText(it->firstMs, zone).substr(0, 19) + " to " +
                          localText(it->lastMs, zone).substr(0, 19));
    cmdPrevRun.setEnabled(!m_allRuns && place > 0);
    cmdNextRun.setEnabled(!m_allRuns && place + 1 < std::ptrdiff_t(m_runs.size()));
    cmdDeleteRun.setEnabled(!m_allRuns && !m_runs.empty());
    const std::uint64_t asked = ++m_asked;
    if (m_runs.empty()) {
        ShowRecords({}, 0);
        return;
    }
    lblTotals.setCaption("Reading the run . . .");
    cmdExportCsv.setEnabled(false);
    cmdExportHtml.setEnabled(false);
    std::weak_ptr<bool> alive = m_alive;
    m_keeper.store().readRecords(shownRun(), MostShown,
                                 [this, alive, asked](std::vector<JournalRecord> records, std::int64_t total) {
                                     if (alive.lock() && asked == m_asked)
                                         ShowRecords(std::move(records), total);
                                 });
}

void frmDebrief::ShowRecords(std::vector<JournalRecord> records, std::int64_t total) {
    const TimeZone zone = services().clock.zone();
    m_records = std::move(records);
    m_total = total;
    cmdExportCsv.setEnabled(!m_records.empty() && !m_exporting);
    cmdExportHtml.setEnabled(!m_records.empty() && !m_exporting);

    // The picture shows one run: the chosen one, or the last of all.
    const auto runs = splitRuns(m_records);
    const std::vector<JournalRecord> none;
    const std::vector<JournalRecord>& pictured = runs.empty() ? none : runs.back();
    m_keeper.canvas().draw(picTimeline, runTimeline(pictured, zone, picTimeline.width() / TwipsPerPixel,
                                                    picTimeline.height() / TwipsPerPixel));
    if (pictured.empty()) {
        lblTotals.setCaption("");
    } else {
        const RunTotals t = runTotals(pictured);
        const std::string partial =
            m_total > std::int64_t(m_records.size())
                ? "    Shown: the first " + std::to_string(m_records.size()) + " of " +
                      std::to_string(m_total) + " records (the exports hold them all)."
                : std::string();
        lblTotals.setCaption(
            "Holds: " + std::to_string(t.holds) + ", " + durationMsText(t.heldMs) +
            " in all, the launch moved " + durationText(t.heldSeconds) +
            ".    Launch window used: " +
            (t.windowSeconds ? durationText(t.windowUsedSeconds) + " of " + durationText(*t.windowSeconds)
                             : std::string("none")) +
            ".    " + builtInTotals(t) +
            (t.liftoffMs ? (t.builtInHolds ? "Liftoff slip against the plan: " : "Liftoff slip: ")
                         : "Launch moved by: ") +
            durationText(*t.slipSeconds) + "." + partial);
    }
    const int rows = int(picTable.height() / TwipsPerPixel / RowPixels) - 1;
    vsbTable.setRange(0, std::max(0, int(m_records.size()) - rows));
    vsbTable.setValue(vsbTable.max());
    DrawTable();
}

// The happenings as a table: time, count, what happened, from the scroll bar's row on.
void frmDebrief::DrawTable() {
    const TimeZone zone = services().clock.zone();
    Drawing d;
    d.width = picTable.width() / TwipsPerPixel;
    d.height = picTable.height() / TwipsPerPixel;
    auto cell = [&d](double x, double y, std::string text, bool bold) {
        DrawItem t;
        t.kind = DrawItem::Kind::Text;
        t.points = {{x, y}};
        t.size = 12;
        t.bold = bold;
        t.text = std::move(text);
        d.items.push_back(std::move(t));
    };
    // The program's clock stands beside the true time wherever it differed.
    const bool programClock = std::ranges::any_of(m_records, [](const JournalRecord& r) {
        return r.programMs.has_value();
    });
    const double shift = programClock ? 175 : 0;
    const double columns[] = {6, 190 + shift, 340 + shift};
    cell(columns[0], 14, "True time", true);
    if (programClock)
        cell(190, 14, "Program clock", true);
    cell(columns[1], 14, "Count", true);
    cell(columns[2], 14, "What happened", true);
    double y = 14 + RowPixels;
    for (std::size_t i = std::size_t(vsbTable.value()); i < m_records.size() && y < d.height; ++i) {
        const JournalRecord& r = m_records[i];
        cell(columns[0], y, localText(r.trueMs, zone), false);
        if (r.programMs)
            cell(190, y, localText(*r.programMs, zone), false);
        cell(columns[1], y, r.count, false);
        cell(columns[2], y, recordSummary(r), false);
        y += RowPixels;
    }
    m_keeper.canvas().draw(picTable, d);
}

void frmDebrief::ShowJournalNote() {
    if (!m_exportProgress.empty() || !m_deleteProgress.empty()) {
        lblJournal.setCaption(m_exportProgress + (m_exportProgress.empty() || m_deleteProgress.empty() ? "" : "\n") +
                              m_deleteProgress);
        lblJournal.setForeColor(0x000000);
        return;
    }
    const std::string note = m_keeper.note();
    const std::string path = m_keeper.store().health().path;
    lblJournal.setCaption(!note.empty()    ? note
                          : path.empty() ? std::string("The journal is kept in memory.")
                                         : "The journal is kept in " + path + ".");
    lblJournal.setForeColor(note.empty() ? 0x000000 : 0x0000C0);
}

void frmDebrief::SetSizeLimit() {
    const auto mb = parseWholeNumber(txtSizeLimit.text());
    if (mb && *mb > 0 && *mb != m_keeper.sizeLimitMb()) {
        m_keeper.setSizeLimitMb(*mb);
        ShowJournalNote();
    }
}

// Written in the background, a record at a time from the journal, so that neither the
// count nor memory waits on a long run; the window tells how far it got and how it ended.
void frmDebrief::Export(bool html) {
    FileDialogRequest request;
    request.title = html ? "Export HTML Report" : "Export CSV";
    request.filter = html ? "HTML Files (*.html)|*.html" : "CSV Files (*.csv)|*.csv";
    request.defaultExt = html ? "html" : "csv";
    request.fileName = html ? "debrief.html" : "journal.csv";
    const auto path = services().dialogs.saveFile(request);
    if (!path)
        return;
    // Only a regular file is written over, and the refusal comes before anything is written.
    if (const std::string why = whyNotWritable(*path); !why.empty()) {
        services().dialogs.messageBox("The debrief could not be written to " + *path + ": " + why + ".",
                                      Buttons::OK, Icon::Exclamation, m_app.info().title);
        return;
    }
    // What the reader's thread alone touches, until it is done.
    const TimeZone zone = services().clock.zone();
    struct Out {
        Out(const std::string& path, const TimeZone& zone) : file(path), run(zone) {}
        FileWriter file;
        DebriefHtmlRunWriter run;
        bool anyRuns = false;
        std::int64_t records = 0;
    };
    auto out = std::make_shared<Out>(*path, zone);
    m_exporting = true;
    cmdExportCsv.setEnabled(false);
    cmdExportHtml.setEnabled(false);
    m_exportProgress = "Exporting to " + *path + " . . .";
    ShowJournalNote();
    out->file.write(html ? debriefHtmlHead("Orvane debrief") : journalCsvHeader());
    auto writeRun = [](Out& o) {
        o.anyRuns = o.anyRuns || !o.run.empty();
        return o.run.finish([&](const std::string& piece) { return o.file.write(piece); });
    };
    std::weak_ptr<bool> alive = m_alive;
    // Every so many records the window hears how many are written.
    auto told = [this, alive, target = *path](std::int64_t written) {
        if (!alive.lock() || !m_exporting)
            return;
        m_exportProgress = "Exporting to " + target + ": " + std::to_string(written) + " records . . .";
        ShowJournalNote();
    };
    m_keeper.store().streamRecords(
        shownRun(),
        [out, html, zone, writeRun, told, store = &m_keeper.store()](JournalRecord&& r) {
            if (++out->records % ProgressEvery == 0)
                store->tell([told, written = out->records] { told(written); });
            if (!html)
                return out->file.write(journalCsvRow(r, zone));
            if (!out->run.empty() && out->run.run() != r.run && !writeRun(*out))
                return false;
            out->run.add(r);
            return out->file.error().empty();
        },
        [this, alive, out, html, writeRun, target = *path](const std::string& problem) {
            if (html && problem.empty()) {
                writeRun(*out);
                out->file.write(debriefHtmlEnd(out->anyRuns));
            }
            const std::string why = problem.empty() ? out->file.commit() : problem;
            if (!alive.lock())
                return;
            m_exporting = false;
            m_exportProgress.clear();
            cmdExportCsv.setEnabled(!m_records.empty());
            cmdExportHtml.setEnabled(!m_records.empty());
            ShowJournalNote();
            if (!why.empty())
                services().dialogs.messageBox("The debrief could not be written to " + target + ": " +
                                                  why + ".",
                                              Buttons::OK, Icon::Exclamation, m_app.info().title);
        });
}

void frmDebrief::DeleteRun() {
    const auto it = std::ranges::find(m_runs, m_run, &JournalRunInfo::run);
    if (it == m_runs.end())
        return;
    const std::string question = "Delete run " + std::to_string(it - m_runs.begin() + 1) +
                                 " and its " + std::to_string(it->records) +
                                 " records from the journal? This cannot be undone.";
    if (services().dialogs.messageBox(question, Buttons::YesNo, Icon::Question, m_app.info().title) !=
        Answer::Yes)
        return;
    // The journal's writer deletes it in the background, telling how far it got; the window
    // lists the runs without it at once.
    const std::string deleting = "Deleting run " + std::to_string(it - m_runs.begin() + 1) + ": ";
    const std::string of = " of " + std::to_string(it->records) + " records";
    m_deleteProgress = deleting + "0" + of + " . . .";
    std::weak_ptr<bool> alive = m_alive;
    m_keeper.store().deleteRun(m_run, [this, alive, deleting, of](std::int64_t deleted, bool done) {
        if (!alive.lock())
            return;
        m_deleteProgress = done ? std::string() : deleting + std::to_string(deleted) + of + " . . .";
        ShowJournalNote();
    });
    ShowJournalNote();
    std::erase_if(m_runs, [this](const JournalRunInfo& r) { return r.run == m_run; });
    m_run = m_runs.empty() ? 0 : m_runs.back().run;
    ShowRun();
}

} // namespace orvane
