// The runner and the outside world: dialogs and their answers, refused input, the
// transcript, settings, files and the event record's addressing.

#include "runner_fixture.h"

#include "clock/frmOrvane.h"
#include "toolkit/form.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace orvane::script::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* AlreadyRunning = "message title=\"Orvane\" icon=Critical buttons=OK "
                                       "text=\"Orvane is already running on this computer.\" -> ";

TEST_F(RunnerTest, ASecondCopyIsRefusedWithOnlyItsMessage) {
    runner.world().process.otherInstanceRunning = true;
    ASSERT_TRUE(run("answer OK\n"
                    "start\n"
                    "expect frmSplash.Loaded False\n"
                    "expect frmOrvane.Loaded False\n"
                    "expect frmEventTimers.Loaded False\n"))
        << runner.error();
    EXPECT_EQ(printed(), std::string(AlreadyRunning) + "OK\nend-program\n");
}

TEST_F(RunnerTest, AMessageBoxWithNoAnswerWaitingFailsItsLine) {
    runner.world().process.otherInstanceRunning = true;
    EXPECT_FALSE(run("# nobody answers\nstart\n"));
    EXPECT_EQ(runner.error(), "story.txt:2: a message box had no answer waiting: "
                              "\"Orvane is already running on this computer.\"");
    EXPECT_EQ(printed(), std::string(AlreadyRunning) + "(no answer)\nend-program\n");
}

TEST_F(RunnerTest, TheFirstAnswerNeverAskedForFailsTheRunAtItsLine) {
    EXPECT_FALSE(run("clock 2001-05-03 10:29:50\n"
                     "answer Yes\n"
                     "start\n"
                     "choose /tmp/launch.ovx\n"));
    EXPECT_EQ(runner.error(), "story.txt:2: answer Yes was never asked for");

    ScriptRunner other(out);
    other.world().process.otherInstanceRunning = true;
    std::istringstream in("cancel-dialog\nanswer OK\nstart\n");
    ASSERT_TRUE(other.runScript(in, "two.txt"));
    EXPECT_FALSE(other.finish());
    EXPECT_EQ(other.error(), "two.txt:1: cancel-dialog was never asked for");
}

TEST_F(RunnerTest, InputToADisabledWindowOrControlIsIgnored) {
    ASSERT_TRUE(more("clock 2001-05-03 10:29:50\n"
                     "start\n"
                     "click frmOrvane.cmdAccess\n"
                     "dblclick frmOrvane\n"
                     "mousedown frmOrvane.lblDays right\n"
                     "mouseup frmOrvane.lblDays right\n"
                     "key frmOrvane 27\n"
                     "set frmOrvane.txtHours 12\n"
                     "click frmEventTimers\n"))
        << runner.error();
    // No popup and no end-program: nothing reached the program.
    EXPECT_EQ(printed(), "ignored: frmOrvane.cmdAccess is disabled\n"
                         "ignored: frmOrvane is disabled\n"
                         "ignored: frmOrvane.lblDays is disabled\n"
                         "ignored: frmOrvane.lblDays is disabled\n"
                         "ignored: frmOrvane is disabled\n"
                         "ignored: frmOrvane.txtHours is disabled\n"
                         "ignored: frmEventTimers is disabled\n");
    EXPECT_TRUE(more("expect frmOrvane.cmdAccess \"&Access Launch Data\"\n"
                     "expect frmOrvane.txtHours \"10\"\n"
                     "set frmOrvane.txtHours.Text 11\n"
                     "expect frmOrvane.txtHours \"11\"\n"))
        << "the program's own assignments are not input: " << runner.error();
}

TEST_F(RunnerTest, InputUnderADisabledContainerOrMenuIsIgnored) {
    startAfterSplash();
    ASSERT_TRUE(more("click frmOrvane.cmdAccess\n"
                     "set frmOrvane.pctLaunchTime.Enabled False\n"
                     "set frmOrvane.txtHours 12\n"
                     "set frmOrvane.mnuTimeZone.Enabled False\n"
                     "click frmOrvane.mnuPST\n"
                     "set frmOrvane.pctLaunchTime.Enabled True\n"
                     "set frmOrvane.txtHours 12\n"
                     "expect frmOrvane.txtHours 12\n"))
        << runner.error();
    EXPECT_EQ(printed(), "ignored: frmOrvane.txtHours is disabled\n"
                         "ignored: frmOrvane.mnuPST is disabled\n");
}

// Mouse input over a disabled control reaches the nearest picture box or frame around it that
// takes input, else the window; keys and edits stop at the "ignored" line.
TEST_F(RunnerTest, MouseInputOverADisabledControlGoesToWhatHoldsIt) {
    startAfterSplash();
    frmOrvane& f = runner.app()->frmOrvane();
    std::vector<std::string> heard;
    f.control<PictureBox>("pctLaunchTime").onMouseDown = [&](MouseButton) {
        heard.push_back("pctLaunchTime down");
    };
    f.control<PictureBox>("pctLaunchTime").onClick = [&] {
        heard.push_back("pctLaunchTime click");
    };
    f.onMouseDown = [&](MouseButton) { heard.push_back("frmOrvane down"); };
    f.onDblClick = [&] { heard.push_back("frmOrvane dblclick"); };
    ASSERT_TRUE(more("click frmOrvane.cmdAccess\n"
                     "set frmOrvane.txtHours.Enabled False\n"
                     "mousedown frmOrvane.txtHours\n"
                     "click frmOrvane.txtHours\n"
                     "set frmOrvane.txtHours 12\n"
                     "set frmOrvane.pctLaunchTime.Enabled False\n"
                     "set frmOrvane.txtHours.Enabled True\n"
                     "mousedown frmOrvane.txtHours\n"
                     "dblclick frmOrvane.pctLaunchTime\n"
                     "expect frmOrvane.txtHours 10\n"))
        << runner.error();
    EXPECT_EQ(heard, (std::vector<std::string>{"pctLaunchTime down", "pctLaunchTime click",
                                               "frmOrvane down", "frmOrvane dblclick"}));
    EXPECT_EQ(printed(), "ignored: frmOrvane.txtHours is disabled\n"
                         "ignored: frmOrvane.txtHours is disabled\n"
                         "ignored: frmOrvane.txtHours is disabled\n"
                         "ignored: frmOrvane.txtHours is disabled\n"
                         "ignored: frmOrvane.pctLaunchTime is disabled\n");
}

TEST_F(RunnerTest, TranscriptAndPrintLinesComeInTheOrderTheyHappen) {
    startAfterSplash();
    ASSERT_TRUE(more("refuse-clock-changes \"Not \\\"root\\\"\"\n"
                     "mouseup frmOrvane.lblDays right\n"
                     "print frmOrvane.lblSeconds\n"));
    runner.world().clock.setSystemDateTime(*DateTime::fromParts(2001, 5, 3, 13, 50, 0), 0,
                                           [](const std::string&) {});
    ASSERT_TRUE(more("answer No\nkey frmOrvane 27\n"));
    const std::string& folder = runner.world().services.info.programDir;
    EXPECT_EQ(printed(), "popup frmOrvane.mnuPopUp\n"
                         "frmOrvane.lblSeconds.Caption = \"07\"\n"
                         "clock-refused 2001-05-03 13:50:00 \"Not \\\"root\\\"\"\n"
                         "message title=\"Orvane\" icon=Question buttons=YesNoCancel "
                         "text=\"Do you want to save " +
                             folder +
                             "/launch.ovx before exiting Orvane ?\" -> No\n"
                             "help close-all\n"
                             "end-program\n");
}

TEST_F(RunnerTest, SettingsArePresetAndPrinted) {
    ASSERT_TRUE(run("setting Options \"Show Tips at Startup\" 0\n"
                    "print-setting Options \"Show Tips at Startup\"\n"
                    "print-setting Options Missing\n"))
        << runner.error();
    EXPECT_EQ(printed(), "setting Options \"Show Tips at Startup\" = \"0\"\n"
                         "setting Options Missing = <absent>\n");
    EXPECT_EQ(runner.world().settings.get("orvane", "Options", "Show Tips at Startup", "1"), "0");
}

TEST_F(RunnerTest, TheProgramGetsItsFolderArgumentsAndVersion) {
    std::string folder;
    {
        ScriptRunner own(out);
        std::istringstream in("arguments --no-splash \"two words.ovx\" --own-clock\n"
                              "write-file TIPS.TXT \"one\\ntwo\\n\"\n"
                              "answer OK\n" // the file named is not there
                              "start\n");
        ASSERT_TRUE(own.runScript(in, "files.txt")) << own.error();
        const AppInfo& info = own.app()->info();
        EXPECT_EQ(info.title, "Orvane");
        EXPECT_EQ(info.exeName, "orvane");
        EXPECT_EQ(info.arguments,
                  (std::vector<std::string>{"--no-splash", "two words.ovx", "--own-clock"}));
        EXPECT_EQ(info.major, 1);
        folder = info.programDir;
        // The program's own parser read them; a relative file is one in the program's folder.
        EXPECT_EQ(info.startFile, folder + "/two words.ovx");
        EXPECT_TRUE(info.noSplash);
        EXPECT_TRUE(info.ownClock);
        std::ifstream tips(fs::path(folder) / "TIPS.TXT", std::ios::binary);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(tips), {}), "one\ntwo\n");
    }
    EXPECT_FALSE(fs::exists(folder)) << "the temporary program folder outlived the run";
}

TEST_F(RunnerTest, ArgumentsTheProgramWouldRefuseFailTheirLineWithItsMessage) {
    EXPECT_FALSE(run("arguments --no-splash -x\n"));
    EXPECT_EQ(runner.error(), "story.txt:1: the program refuses these arguments: "
                              "orvane: unknown option '-x'; see 'orvane --help'.");
}

TEST_F(RunnerTest, AProgramFolderGivenIsUsedAndKept) {
    std::string folder = (fs::temp_directory_path() / "orvane-script-test-XXXXXX").string();
    ASSERT_TRUE(mkdtemp(folder.data()));
    {
        ScriptRunner own(out);
        std::istringstream in("program-dir \"" + folder + "/\"\nwrite-file a.txt x\nstart\n");
        ASSERT_TRUE(own.runScript(in, "dir.txt")) << own.error();
        EXPECT_EQ(own.app()->info().programDir, folder);
    }
    EXPECT_TRUE(fs::exists(fs::path(folder) / "a.txt"));
    fs::remove_all(folder);
}

// A window with a record, as the event timers window keeps the event timer record.
class RecordWindow : public Form {
  public:
    explicit RecordWindow(App& app) : Form(app.services(), "frmRecord") {}
    std::optional<PropValue> recordProperty(std::string_view record,
                                            std::string_view prop) const override {
        if (record != "EventData")
            return std::nullopt;
        auto it = m_values.find(std::string(prop));
        return it == m_values.end() ? PropValue() : PropValue(it->second);
    }
    SetResult setRecordProperty(std::string_view record, std::string_view prop,
                                std::string_view text) override {
        if (record != "EventData")
            return SetResult::fail("no record");
        m_values[std::string(prop)] = std::string(text);
        return {};
    }

  private:
    std::map<std::string, std::string, std::less<>> m_values;
};

TEST_F(RunnerTest, RecordsReadAndWriteByWindowRecordAndField) {
    startAfterSplash();
    runner.app()->registerForm<RecordWindow>("frmRecord");
    ASSERT_TRUE(more("print frmRecord.EventData.Secs3\n"
                     "set frmRecord.EventData.Secs3 600\n"
                     "print frmRecord.EventData.Secs3\n"
                     "print frmRecord.EventData.Plus3\n"
                     "expect frmRecord.EventData.Plus3 Empty\n"
                     "expect frmRecord.EventData.Secs3 600\n"))
        << runner.error();
    EXPECT_EQ(printed(), "frmRecord.EventData.Secs3 = <not loaded>\n"
                         "frmRecord.EventData.Secs3 = \"600\"\n"
                         "frmRecord.EventData.Plus3 = Empty\n");
    EXPECT_FALSE(runner.runLine("expect frmRecord.EventData.Plus3 \"\""));
    EXPECT_FALSE(runner.runLine("print frmRecord.Nowhere.Secs3"));
    EXPECT_FALSE(runner.runLine("set frmRecord.Nowhere.Secs3 1"));
}

} // namespace
} // namespace orvane::script::test
