#include "journal/debrief.h"
#include "journal/frmDebrief.h"
#include "journal/journal_keeper.h"
#include "journal/journal_records.h"
#include "support/app_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

#include <unistd.h>

namespace orvane {
namespace {

using namespace test;

class KeptCanvas : public DebriefCanvas {
  public:
    void draw(PictureBox& picture, const Drawing& drawing) override { drawn[picture.name()] = drawing; }
    std::map<std::string, Drawing> drawn;
};

// A store whose file cannot be written.
class TroubledStore : public MemoryJournalStore {
  public:
    JournalHealth health() const override { return health_; }
    JournalHealth health_;
};

int itemsOf(const Drawing& d, std::string_view role) {
    return int(std::ranges::count(d.items, role, &DrawItem::role));
}

class DebriefWindow : public AppTest {
  protected:
    DebriefWindow() : keeper(app, store, canvas) {}

    frmDebrief& openDebrief() {
        EXPECT_TRUE(click(app.frmOrvane().control<MenuItem>("mnuDebrief")));
        frmDebrief* form = app.loaded<frmDebrief>();
        EXPECT_TRUE(form && form->visible());
        return *form;
    }

    TroubledStore store;
    KeptCanvas canvas;
    JournalKeeper keeper;
};

TEST_F(DebriefWindow, ShowsTheLastRunsPictureTotalsAndTable) {
    clockAt("2001-05-03 10:40:00");
    startAndSettle();
    for (JournalRecord r : rehearsal())
        store.record(std::move(r));
    frmDebrief& debrief = openDebrief();
    EXPECT_EQ(debrief.lblRun.caption(), "Run 2 of 2: 2001-05-03 10:20:00 to 2001-05-03 10:33:20");
    EXPECT_EQ(debrief.lblTotals.caption(), "Holds: 2, 0:02:00 in all.    Launch window used: 0:02:00 "
                                           "of 0:05:00.    Liftoff slip: 0:02:00.");
    EXPECT_EQ(itemsOf(canvas.drawn["picTimeline"], "hold"), 2);
    EXPECT_EQ(itemsOf(canvas.drawn["picTimeline"], "liftoff"), 1);
    // The table ends at the run's last happening, and scrolls back to its first.
    const Drawing& table = canvas.drawn["picTable"];
    ASSERT_FALSE(table.items.empty());
    EXPECT_EQ(table.items.back().text, "Program ended");
    EXPECT_TRUE(debrief.cmdPrevRun.enabled());
    EXPECT_FALSE(debrief.cmdNextRun.enabled());
    const std::size_t atTheEnd = table.items.size();
    type(debrief.vsbTable, "0");
    EXPECT_EQ(canvas.drawn["picTable"].items[5].text, "Program started");
    // Scrolled to its end, the table is as full as at its start.
    EXPECT_EQ(canvas.drawn["picTable"].items.size(), atTheEnd);

    // The run before is this program's own start, before the rehearsal's records came.
    click(debrief.cmdPrevRun);
    EXPECT_EQ(debrief.shownRun(), 1);
    EXPECT_FALSE(debrief.cmdPrevRun.enabled());
    click(debrief.chkAllRuns);
    EXPECT_EQ(debrief.shownRun(), 0);
    EXPECT_EQ(debrief.lblRun.caption(), "All 2 runs");
    EXPECT_FALSE(debrief.cmdDeleteRun.enabled());
}

TEST_F(DebriefWindow, ExportsTheRunAndDeletesItOnlyWhenTheUserSaysYes) {
    clockAt("2001-05-03 10:40:00");
    startAndSettle();
    for (JournalRecord r : rehearsal())
        store.record(std::move(r));
    frmDebrief& debrief = openDebrief();
    const auto dir = std::filesystem::temp_directory_path() / ("orvane-debrief-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    world.dialogs.queueFile((dir / "run.csv").string());
    click(debrief.cmdExportCsv);
    std::ifstream in(dir / "run.csv", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}),
              journalCsv(store.records(2), world.clock.zone()));
    std::filesystem::remove_all(dir);

    world.dialogs.queueAnswer(Answer::No);
    click(debrief.cmdDeleteRun);
    EXPECT_EQ(store.runs().size(), 2u);
    world.dialogs.queueAnswer(Answer::Yes);
    click(debrief.cmdDeleteRun);
    EXPECT_EQ(world.dialogs.shown().back().text,
              "Delete run 2 and its 14 records from the journal? This cannot be undone.");
    ASSERT_EQ(store.runs().size(), 1u);
    EXPECT_EQ(debrief.shownRun(), 1);
}

TEST_F(DebriefWindow, AJournalThatCannotBeWrittenIsReportedOnceAndTheCountGoesOn) {
    clockAt("2001-05-03 10:20:00");
    startAndSettle();
    frmOrvane& main = app.frmOrvane();
    StatusPanel& panel = *main.control<StatusBar>("sbrStatusBar").panel("pnlJournal");
    EXPECT_FALSE(panel.visible());
    store.health_.problem = "The mission journal cannot be kept at /x/journal.sqlite (Not a directory).";
    keeper.healthChanged();
    EXPECT_TRUE(panel.visible());
    EXPECT_EQ(panel.text(), "Journal: not recorded");
    EXPECT_EQ(panel.toolTipText(), store.health_.problem);
    frmDebrief& debrief = openDebrief();
    EXPECT_EQ(debrief.lblJournal.caption(), store.health_.problem);
    // Told once: the user may dismiss it by reading it; the same problem again changes nothing.
    panel.setText("");
    keeper.healthChanged();
    EXPECT_EQ(panel.text(), "");
    advance(2s);
    EXPECT_EQ(main.control<Label>("lblMinutes").caption(), "09");
    // The problem passes: the panel goes.
    store.health_.problem.clear();
    keeper.healthChanged();
    EXPECT_FALSE(panel.visible());
}

TEST_F(DebriefWindow, PastTheSizeTheUserSetTheStatusBarWarns) {
    clockAt("2001-05-03 10:20:00");
    startAndSettle();
    store.health_.sizeBytes = 150LL * 1024 * 1024;
    keeper.committed();
    EXPECT_FALSE(app.frmOrvane().control<StatusBar>("sbrStatusBar").panel("pnlJournal")->visible());
    frmDebrief& debrief = openDebrief();
    EXPECT_EQ(debrief.txtSizeLimit.text(), "200");
    type(debrief.txtSizeLimit, "100");
    EXPECT_EQ(world.settings.stored("Journal", "Size Warning MB"), "100");
    EXPECT_EQ(app.frmOrvane().control<StatusBar>("sbrStatusBar").panel("pnlJournal")->text(),
              "Journal: past 100 MB");
    EXPECT_EQ(debrief.lblJournal.caption(),
              "The journal has grown past 100 MB (150 MB): delete the runs you no longer need.");
}

} // namespace
} // namespace orvane

namespace orvane {
namespace {

// Runs begin where the launch time is set or a file is read, but a program that has only
// started is no run yet (reading its file, or a launch time set at once, joins the start), and
// whatever follows an exit begins a new one.
TEST_F(DebriefWindow, RunsBeginAtANewLaunchTimeOrFileAndAfterExit) {
    store = TroubledStore{};
    for (const char* kind : {"start", "file-read", "hold", "resume", "launch-time", "hold",
                             "file-read", "file-saved", "exit", "start", "launch-time"})
        keeper.note(journalRecord(kind, 0, 600));
    std::vector<std::string> runs;
    for (const JournalRecord& r : store.records(0))
        runs.push_back(std::to_string(r.run) + " " + r.kind);
    EXPECT_EQ(runs, (std::vector<std::string>{"1 start", "1 file-read", "1 hold", "1 resume",
                                              "2 launch-time", "2 hold", "3 file-read",
                                              "3 file-saved", "3 exit", "4 start",
                                              "4 launch-time"}));
    // Right after the start's file, a new launch time is a new run.
    keeper.note(journalRecord("exit", 0, 600));
    for (const char* kind : {"start", "file-read", "launch-time"})
        keeper.note(journalRecord(kind, 0, 600));
    EXPECT_EQ(store.records(0).back().run, 6);
}

} // namespace
} // namespace orvane
