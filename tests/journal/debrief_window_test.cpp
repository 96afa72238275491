#include "journal/debrief.h"
#include "journal/frmDebrief.h"
#include "journal/journal_keeper.h"
#include "journal/journal_records.h"
#include "simtime/sim_clock.h"
#include "support/app_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>

#include <sys/stat.h>
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
    // This program's own start, before the rehearsal's records came, is no rehearsal: the
    // window opens on the rehearsal, the only run it lists.
    EXPECT_EQ(debrief.lblRun.caption(), "Run 1 of 1: 2001-05-03 10:20:00 to 2001-05-03 10:33:20");
    EXPECT_EQ(debrief.lblTotals.caption(),
              "Holds: 2, 0:02:00.000 in all, the launch moved 0:02:00.    Launch window used: "
              "0:02:00 of 0:05:00.    Liftoff slip: 0:02:00.");
    EXPECT_EQ(itemsOf(canvas.drawn["picTimeline"], "hold"), 2);
    EXPECT_EQ(itemsOf(canvas.drawn["picTimeline"], "liftoff"), 1);
    // The table ends at the run's last happening, and scrolls back to its first.
    const Drawing& table = canvas.drawn["picTable"];
    ASSERT_FALSE(table.items.empty());
    EXPECT_EQ(table.items.back().text, "Program ended");
    EXPECT_EQ(debrief.shownRun(), 2);
    EXPECT_FALSE(debrief.cmdPrevRun.enabled());
    EXPECT_FALSE(debrief.cmdNextRun.enabled());
    const std::size_t atTheEnd = table.items.size();
    type(debrief.vsbTable, "0");
    EXPECT_EQ(canvas.drawn["picTable"].items[5].text, "Program started");
    // Scrolled to its end, the table is as full as at its start.
    EXPECT_EQ(canvas.drawn["picTable"].items.size(), atTheEnd);

    // Another run: the window steps back to the rehearsal and on to it.
    JournalRecord next = journalRecord("launch-time", 900, 600);
    next.beginsRun = true;
    store.record(next);
    click(debrief.cmdRefresh);
    EXPECT_EQ(debrief.shownRun(), 2) << "Refresh stays on the run shown";
    click(debrief.cmdNextRun);
    EXPECT_EQ(debrief.shownRun(), 3);
    EXPECT_EQ(debrief.lblRun.caption().substr(0, 11), "Run 2 of 2:");
    EXPECT_FALSE(debrief.cmdNextRun.enabled());
    click(debrief.cmdPrevRun);
    EXPECT_EQ(debrief.shownRun(), 2);
    click(debrief.chkAllRuns);
    EXPECT_EQ(debrief.shownRun(), 0);
    EXPECT_EQ(debrief.lblRun.caption(), "All 2 runs");
    EXPECT_EQ(debrief.shownRecords().size(), 16u) << "all runs' records, the program's start too";
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
    EXPECT_EQ(store.runs().size(), 1u);
    world.dialogs.queueAnswer(Answer::Yes);
    click(debrief.cmdDeleteRun);
    EXPECT_EQ(world.dialogs.shown().back().text,
              "Delete run 1 and its 14 records from the journal? This cannot be undone.");
    EXPECT_EQ(store.runs().size(), 0u);
    EXPECT_EQ(debrief.shownRun(), 0);
    EXPECT_EQ(debrief.lblRun.caption(), "The journal holds no runs yet.");
    EXPECT_FALSE(debrief.cmdExportCsv.enabled());
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
    // No size of nothing: a typed 0 is refused, a stored one read as the default.
    type(debrief.txtSizeLimit, "0");
    EXPECT_EQ(world.settings.stored("Journal", "Size Warning MB"), "100");
    world.settings.save(app.info().exeName, "Journal", "Size Warning MB", "0");
    JournalKeeper next(app, store, canvas);
    EXPECT_EQ(next.sizeLimitMb(), 200);
    // Up to the size itself the journal has not grown past it.
    store.health_.sizeBytes = 200LL * 1024 * 1024;
    EXPECT_EQ(next.note(), "");
    store.health_.sizeBytes += 1;
    EXPECT_NE(next.note(), "");
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

namespace orvane {
namespace {

using namespace test;
using namespace std::chrono_literals;

// Regression: every record's true time was a whole second; while a simulated time had moved
// the computer's clock the records carried the moved clock as the true time and no program
// clock, so the journal ran backwards at the restore; a file read left out the launch time it
// read, and the start its file.
TEST_F(DebriefWindow, EveryRecordKeepsTheTrueInstantToTheMillisecondBesideTheProgramsClock) {
    app.services().info.programDir = "/data";
    clockAt("2001-05-03 10:20:00");
    world.clock.elapse(137);
    startAndSettle();
    frmOrvane& f = app.frmOrvane();
    f.control<Label>("lblTarget").setCaption("May 3, 2001   10:30:00 AM");
    ASSERT_TRUE(click(f.control<MenuItem>("mnuHoldEnable")));
    advance(250ms);
    app.simClock().moveTo(-30); // the computer's clock to T - 30 s
    advance(1300ms);
    ASSERT_TRUE(click(f.control<CommandButton>("cmdHoldResume")));
    advance(2040ms);
    ASSERT_TRUE(click(f.control<CommandButton>("cmdHoldResume")));
    advance(710ms);
    app.simClock().restore();
    advance(1s);
    ASSERT_TRUE(click(f.control<CommandButton>("cmdHoldResume")));

    const std::vector<JournalRecord> records = store.records(0);
    std::vector<std::string> kinds;
    for (const JournalRecord& r : records)
        kinds.push_back(r.kind);
    ASSERT_EQ(kinds, (std::vector<std::string>{"start", "sim-time", "hold", "resume",
                                               "sim-restored", "hold"}));
    EXPECT_EQ(records[0].launchFile, "/data/launch.ovx") << "the start names the file it reads";
    EXPECT_EQ(records[0].trueMs % 1000, 137);
    // True instants to the millisecond, rising through the simulation and its end.
    const std::int64_t simMs = records[1].trueMs;
    EXPECT_EQ(simMs % 1000, 387);
    const std::int64_t after[] = {0, 0, 1300, 3340, 4050, 5050};
    for (std::size_t i = 1; i < records.size(); ++i)
        EXPECT_EQ(records[i].trueMs - simMs, after[i]) << kinds[i];
    // The program's clock beside them while it differs: the count's T - 30 s.
    const std::int64_t launchMs = 988885800000; // 2001-05-03 10:30:00 UTC
    for (std::size_t i : {1u, 2u, 3u}) {
        ASSERT_TRUE(records[i].programMs) << kinds[i];
        EXPECT_NEAR(double(*records[i].programMs - launchMs), -30000.0 + double(after[i]), 1000)
            << kinds[i];
    }
    for (std::size_t i : {0u, 4u, 5u})
        EXPECT_FALSE(records[i].programMs) << kinds[i];
    EXPECT_EQ(records[3].detail("held-ms"), "2040");
    // The debrief's table puts the program's clock beside the true time.
    ASSERT_TRUE(click(f.control<MenuItem>("mnuDebrief")));
    const Drawing& table = canvas.drawn["picTable"];
    const auto at = [&](const std::string& text) {
        return std::ranges::find(table.items, text, &DrawItem::text);
    };
    ASSERT_NE(at("Program clock"), table.items.end());
    ASSERT_NE(at(localText(*records[2].programMs, world.clock.zone())), table.items.end());
    EXPECT_EQ(at(localText(*records[2].programMs, world.clock.zone()))->points[0].first,
              at("Program clock")->points[0].first);
}

// A file read records the launch time it read, beside the one it replaced.
TEST_F(DebriefWindow, AFileReadRecordsTheLaunchTimeItRead) {
    const auto dir = std::filesystem::temp_directory_path() / ("orvane-read-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    app.services().info.programDir = dir.string();
    clockAt("2001-05-03 10:20:00");
    startAndSettle();
    app.frmOrvane().control<Label>("lblTarget").setCaption("May 3, 2001   10:30:00 AM");
    ASSERT_TRUE(click(app.frmOrvane().control<MenuItem>("mnuSave")));
    app.frmOrvane().control<Label>("lblTarget").setCaption("May 3, 2001   10:26:07 AM");
    world.dialogs.queueAnswer(Answer::No);
    world.dialogs.queueFile((dir / "launch.ovx").string());
    ASSERT_TRUE(click(app.frmOrvane().control<MenuItem>("mnuOpen")));
    std::filesystem::remove_all(dir);
    const JournalRecord read = store.records(0).back();
    ASSERT_EQ(read.kind, "file-read");
    EXPECT_EQ(read.detail("launch"), "2001-05-03 10:30:00");
    EXPECT_EQ(read.detail("old-launch"), "2001-05-03 10:26:07");
}

} // namespace
} // namespace orvane

namespace orvane {
namespace {

using namespace test;

// A store whose reads answer only when the test says, as the journal's reader thread does.
class SlowStore : public MemoryJournalStore {
  public:
    void streamRecords(std::int64_t run, std::function<bool(JournalRecord&&)> each,
                       std::function<void(std::string)> done) override {
        pending.push_back([this, run, each = std::move(each), done = std::move(done)] {
            MemoryJournalStore::streamRecords(run, each, done);
        });
    }
    std::vector<std::function<void()>> pending;
};

class SlowDebrief : public AppTest {
  protected:
    SlowDebrief() : keeper(app, store, canvas) {}
    SlowStore store;
    KeptCanvas canvas;
    JournalKeeper keeper;
};

// The window never waits for the journal: a run is shown once it has been read, and only the
// run last asked for; an export goes nowhere but to a new or a regular file.
TEST_F(SlowDebrief, ShowsOnlyTheRunLastAskedForOnceItIsReadAndExportsOnlyToAFile) {
    clockAt("2001-05-03 10:40:00");
    startAndSettle();
    for (int run = 0; run < 2; ++run)
        for (JournalRecord r : rehearsal())
            store.record(std::move(r));
    ASSERT_TRUE(click(app.frmOrvane().control<MenuItem>("mnuDebrief")));
    frmDebrief& debrief = *app.loaded<frmDebrief>();
    EXPECT_EQ(debrief.lblTotals.caption(), "Reading the run . . .");
    EXPECT_FALSE(debrief.cmdExportCsv.enabled());
    click(debrief.cmdPrevRun);
    ASSERT_EQ(store.pending.size(), 2u);
    store.pending[1](); // the run asked for last comes first,
    store.pending[0](); // and the one asked for before it is not shown over it
    EXPECT_EQ(debrief.shownRun(), 2);
    ASSERT_EQ(debrief.shownRecords().size(), 14u);
    EXPECT_EQ(debrief.shownRecords().front().run, 2);
    EXPECT_TRUE(debrief.lblTotals.caption().starts_with("Holds: 2"));
    EXPECT_TRUE(debrief.cmdExportCsv.enabled());

    const auto dir = std::filesystem::temp_directory_path() / ("orvane-slow-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string fifo = (dir / "pipe.csv").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    world.dialogs.queueFile(fifo);
    answer(Answer::OK);
    click(debrief.cmdExportCsv);
    EXPECT_EQ(world.dialogs.shown().back().text,
              "The debrief could not be written to " + fifo + ": it is a pipe, not a file.");
    EXPECT_EQ(store.pending.size(), 2u) << "nothing was read for it";
    world.dialogs.queueFile((dir / "run.csv").string());
    click(debrief.cmdExportCsv);
    EXPECT_FALSE(debrief.cmdExportCsv.enabled()) << "one export at a time";
    EXPECT_FALSE(std::filesystem::exists(dir / "run.csv")) << "written once it is whole";
    store.pending.back()();
    std::ifstream in(dir / "run.csv", std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}),
              journalCsv(store.records(2), world.clock.zone()));
    EXPECT_TRUE(debrief.cmdExportCsv.enabled());
    std::filesystem::remove_all(dir);

    // A run longer than the window holds: its first records are shown, and the window says so.
    JournalRecord next = journalRecord("launch-time", 900, 600);
    next.beginsRun = true;
    store.record(next);
    for (std::size_t i = 0; i < frmDebrief::MostShown; ++i)
        store.record(journalRecord("hold", 901, 599));
    store.pending.clear();
    click(debrief.cmdRefresh);
    click(debrief.cmdNextRun);
    click(debrief.cmdNextRun);
    EXPECT_FALSE(debrief.cmdNextRun.enabled());
    store.pending.back()();
    EXPECT_EQ(debrief.shownRecords().size(), frmDebrief::MostShown);
    EXPECT_TRUE(debrief.lblTotals.caption().ends_with(
        "    Shown: the first 20000 of 20001 records (the exports hold them all)."))
        << debrief.lblTotals.caption();

    // The export and the delete of a long run tell how far they have got, then the note again.
    std::vector<std::function<void()>> told;
    store.deliver = [&](std::function<void()> task) { told.push_back(std::move(task)); };
    std::filesystem::create_directories(dir);
    const std::string html = (dir / "long.html").string();
    world.dialogs.queueFile(html);
    click(debrief.cmdExportHtml);
    store.pending.back()();
    ASSERT_EQ(told.size(), 5u); // at 5000, 10000, 15000, 20000 and the end
    told[1]();
    EXPECT_EQ(debrief.lblJournal.caption(), "Exporting to " + html + ": 10000 records . . .");
    for (auto& task : told)
        task();
    EXPECT_EQ(debrief.lblJournal.caption(), "The journal is kept in memory.");
    EXPECT_TRUE(std::filesystem::exists(html));
    std::filesystem::remove_all(dir);
    told.clear();
    answer(Answer::Yes);
    click(debrief.cmdDeleteRun);
    EXPECT_EQ(debrief.lblJournal.caption(), "Deleting run 3: 0 of 20001 records . . .");
    ASSERT_EQ(told.size(), 1u);
    told[0]();
    EXPECT_EQ(debrief.lblJournal.caption(), "The journal is kept in memory.");
}

} // namespace
} // namespace orvane

namespace orvane {
namespace {

using namespace test;

// The window opens on the journal's last run, whichever came before; stepped back to a run on
// a countdown plan, it draws that run's built-in holds apart from its hold by hand, with the
// legend, and its totals tell them apart too.
TEST_F(DebriefWindow, OpensOnTheLastRunAndDrawsAPlannedRunsBuiltInHolds) {
    clockAt("2001-05-03 11:10:00");
    startAndSettle();
    for (int run = 0; run < 3; ++run)
        for (JournalRecord r : run == 1 ? rehearsal() : plannedRehearsal())
            store.record(std::move(r));
    frmDebrief& debrief = openDebrief();
    ASSERT_EQ(debrief.shownRun(), 4);
    EXPECT_EQ(debrief.lblRun.caption(), "Run 3 of 3: 2001-05-03 10:20:00 to 2001-05-03 11:01:10");
    EXPECT_EQ(itemsOf(canvas.drawn["picTimeline"], "built-in-hold"), 2);
    click(debrief.cmdPrevRun);
    EXPECT_EQ(debrief.lblRun.caption(), "Run 2 of 3: 2001-05-03 10:20:00 to 2001-05-03 10:33:20");
    const Drawing& plain = canvas.drawn["picTimeline"];
    EXPECT_EQ(itemsOf(plain, "hold"), 2);
    EXPECT_EQ(itemsOf(plain, "built-in-hold"), 0);
    EXPECT_EQ(itemsOf(plain, "legend"), 1);

    click(debrief.cmdPrevRun);
    EXPECT_EQ(debrief.shownRun(), 2);
    EXPECT_EQ(debrief.lblRun.caption(), "Run 1 of 3: 2001-05-03 10:20:00 to 2001-05-03 11:01:10");
    const Drawing& planned = canvas.drawn["picTimeline"];
    EXPECT_EQ(planned.width, 728);
    EXPECT_EQ(planned.height, 270);
    EXPECT_EQ(itemsOf(planned, "hold"), 1);
    EXPECT_EQ(itemsOf(planned, "built-in-hold"), 2);
    EXPECT_EQ(itemsOf(planned, "built-in-overrun"), 1);
    EXPECT_EQ(itemsOf(planned, "legend"), 3);
    EXPECT_EQ(debrief.lblTotals.caption(),
              "Holds: 1, 0:02:00.000 in all, the launch moved 0:02:00.    Launch window used: "
              "none.    Built-in holds: 2, 0:09:00 (planned 0:08:00).    Liftoff slip against the "
              "plan: 0:03:00.");
    // The table tells each built-in hold's label and lengths.
    type(debrief.vsbTable, "0");
    const Drawing& table = canvas.drawn["picTable"];
    EXPECT_NE(std::ranges::find(table.items, std::string("Built-in hold \"Go/no-go poll\" ended after "
                                                         "0:04:00 (planned 0:03:00)"),
                                &DrawItem::text),
              table.items.end());
    // Deleting it, the window goes to the last run left.
    answer(Answer::Yes);
    click(debrief.cmdDeleteRun);
    EXPECT_EQ(debrief.shownRun(), 4);
    EXPECT_EQ(debrief.lblRun.caption().substr(0, 11), "Run 2 of 2:");
    // All runs in the table, the last one in the picture.
    click(debrief.cmdPrevRun);
    click(debrief.chkAllRuns);
    EXPECT_EQ(debrief.shownRun(), 0);
    EXPECT_EQ(itemsOf(canvas.drawn["picTimeline"], "built-in-hold"), 2);
    EXPECT_EQ(itemsOf(canvas.drawn["picTimeline"], "hold"), 1);
}

// A resume the journal saw no hold for (one that began before the journal was kept) tells
// no true length; the next hold's is its own.
TEST_F(DebriefWindow, AResumeWithoutItsHoldTellsNoTrueLength) {
    clockAt("2001-05-03 10:20:00");
    startAndSettle();
    auto raise = [&](Happening::Kind kind, std::int64_t trueMs) {
        Happening h;
        h.kind = kind;
        h.at.trueMs = trueMs;
        app.happenings().raise(h);
        return store.records(0).back();
    };
    EXPECT_EQ(raise(Happening::Kind::Resume, 5000).detail("held-ms"), "");
    raise(Happening::Kind::Hold, 7000);
    EXPECT_EQ(raise(Happening::Kind::Resume, 9500).detail("held-ms"), "2500");
    EXPECT_EQ(raise(Happening::Kind::Resume, 9900).detail("held-ms"), "") << "told once";
}

// Records that tell of a window or a hold the run never had leave the totals as they were.
TEST(DebriefTotals, AWindowOrAHoldTheRunNeverHadChangesNothing) {
    const std::vector<JournalRecord> run = {
        journalRecord("launch-time", 0, 600),
        journalRecord("window-expired", 5, 595, {{"window", "0:00:00"}}),
        journalRecord("resume", 10, 595, {{"held", "30"}, {"window-left", "20"}}),
        journalRecord("exit", 20, 585),
    };
    const RunTotals t = runTotals(run);
    EXPECT_FALSE(t.windowSeconds);
    EXPECT_EQ(t.windowUsedSeconds, 0);
    EXPECT_TRUE(t.windowExpired);
    EXPECT_EQ(t.holds, 0);
    EXPECT_EQ(t.heldSeconds, 0);
    EXPECT_EQ(t.slipSeconds, 0);
}

} // namespace
} // namespace orvane
