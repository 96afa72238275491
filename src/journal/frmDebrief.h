#pragma once

// The Debrief window: one run of the mission journal (or all of them) as a timeline picture,
// a table of what happened and the totals; exports to CSV and to an HTML report; deleting
// runs; and what is wrong with the journal, if anything.

#include "toolkit/controls.h"
#include "toolkit/form.h"
#include "services/journal.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace orvane {

class App;
class JournalKeeper;

class frmDebrief : public Form {
  public:
    frmDebrief(App& app, JournalKeeper& keeper);

    // Reads the journal afresh and shows the chosen run.
    void Refresh();
    // Shows what is wrong with the journal, or that all is well.
    void ShowJournalNote();
    // The run shown (0 for all runs) and its records.
    std::int64_t shownRun() const { return m_allRuns ? 0 : m_run; }
    const std::vector<JournalRecord>& shownRecords() const { return m_records; }

    Label lblRun{this, "lblRun"};
    CommandButton cmdPrevRun{this, "cmdPrevRun"};
    CommandButton cmdNextRun{this, "cmdNextRun"};
    CheckBox chkAllRuns{this, "chkAllRuns"};
    CommandButton cmdRefresh{this, "cmdRefresh"};
    PictureBox picTimeline{this, "picTimeline"};
    Label lblTotals{this, "lblTotals"};
    PictureBox picTable{this, "picTable"};
    ScrollBar vsbTable{this, "vsbTable"};
    Label lblJournal{this, "lblJournal"};
    Label lblSizeLimit{this, "lblSizeLimit"};
    TextBox txtSizeLimit{this, "txtSizeLimit"};
    CommandButton cmdExportCsv{this, "cmdExportCsv"};
    CommandButton cmdExportHtml{this, "cmdExportHtml"};
    CommandButton cmdDeleteRun{this, "cmdDeleteRun"};
    CommandButton cmdClose{this, "cmdClose"};

    // The most records of a run the window holds and shows; an export writes them all.
    static constexpr std::size_t MostShown = 20000;

  private:
    void layOut();
    void ShowRun();
    void ShowRecords(std::vector<JournalRecord> records, std::int64_t total);
    void DrawTable();
    void StepRun(int by);
    void Export(bool html);
    void DeleteRun();
    void SetSizeLimit();

    App& m_app;
    JournalKeeper& m_keeper;
    std::vector<JournalRunInfo> m_runs;
    std::int64_t m_run = 0;
    bool m_allRuns = false;
    std::vector<JournalRecord> m_records;
    std::int64_t m_total = 0; // the records the shown run holds
    // The read asked for last: an answer to an earlier one is left unshown.
    std::uint64_t m_asked = 0;
    bool m_exporting = false;
    // How far the export and the delete under way have got, shown in place of the journal's
    // note until they are done.
    std::string m_exportProgress, m_deleteProgress;
    // Answers that come once the window is gone find it so.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

} // namespace orvane
