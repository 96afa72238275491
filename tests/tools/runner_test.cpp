// The runner's language: what expect compares, what print shows, and which lines fail.

#include "runner_fixture.h"

namespace orvane::script::test {
namespace {

TEST_F(RunnerTest, AFailedExpectNamesTheScriptAndLine) {
    EXPECT_FALSE(run("clock 2001-05-03 10:29:50\n"
                     "start\n"
                     "advance 3s\n"
                     "expect frmOrvane.lblSeconds \"06\"\n"
                     "expect frmOrvane.lblSeconds \"07\"\n"));
    EXPECT_EQ(runner.error(), "story.txt:4: expected \"06\", got \"07\"");
}

TEST_F(RunnerTest, ExpectComparesTextsPlainlyAndAllElseInPrintedForm) {
    startAfterSplash();
    ASSERT_TRUE(more("advance 1s")); // 10:29:54, six seconds to launch
    struct Row {
        const char* line;
        bool holds;
    };
    const Row rows[] = {
        {"expect frmOrvane.lblSeconds 06", true},
        {"expect frmOrvane.lblSeconds \"06\"", true},
        {"expect frmOrvane.lblSeconds.Caption 06   # a comment", true},
        {"expect frmOrvane.lblSeconds \"06 \"", false},
        {"expect frmOrvane.lblSeconds 6", false},
        {"expect frmOrvane.lblTMinus T -", true},
        {"expect frmOrvane.lblTarget May 3, 2001   10:30:00 AM", true},
        {"expect frmOrvane.lblTarget May 3, 2001 10:30:00 AM", false},
        {"expect frmOrvane.Width 4350", true},
        {"expect frmOrvane.Width \"4350\"", false},
        {"expect frmOrvane.BackColor &H008080FF", true},
        {"expect frmOrvane.BackColor &h008080ff", false},
        {"expect frmOrvane.Enabled True", true},
        {"expect frmOrvane.Enabled true", false},
        {"expect frmOrvane.shpIndicator(0) True", true},
    };
    for (const Row& r : rows)
        EXPECT_EQ(runner.runLine(r.line), r.holds) << r.line << "\n" << runner.error();
}

TEST_F(RunnerTest, ExpectShowsAPlainTextInItsPrintedFormWhenItFails) {
    startAfterSplash();
    EXPECT_FALSE(runner.runLine("expect frmOrvane.lblTMinus T +", "s.txt", 9));
    EXPECT_EQ(runner.error(), "s.txt:9: expected \"T +\", got \"T -\"");
    EXPECT_FALSE(runner.runLine("expect frmOrvane.Width 4351", "s.txt", 10));
    EXPECT_EQ(runner.error(), "s.txt:10: expected 4351, got 4350");
}

TEST_F(RunnerTest, PrintShowsTheDefaultPropertyOfEachKind) {
    startAfterSplash();
    ASSERT_TRUE(more("print frmOrvane\n"
                     "print frmOrvane.lblSeconds\n"
                     "print frmOrvane.sbrStatusBar(pnlCurrentFile)\n"
                     "print frmOrvane.txtLaunchDate\n"
                     "print frmOrvane.vsbHours\n"
                     "print frmOrvane.chkLaunchWindowActive\n"
                     "print frmOrvane.tmrCountdown\n"
                     "print frmOrvane.tmrCountdown.Interval\n"
                     "print frmOrvane.pctLaunchTime\n"
                     "print frmOrvane.mnuEST.Checked\n"
                     "print frmOrvane.Loaded\n"))
        << runner.error();
    EXPECT_EQ(printed(), "frmOrvane.Caption = \"Mission Elapsed Time\"\n"
                         "frmOrvane.lblSeconds.Caption = \"07\"\n"
                         "frmOrvane.sbrStatusBar(pnlCurrentFile).Text = \"" +
                             runner.world().services.info.programDir +
                             "/launch.ovx\"\n"
                             "frmOrvane.txtLaunchDate.Text = \"May 3, 2001\"\n"
                             "frmOrvane.vsbHours.Value = 10\n"
                             "frmOrvane.chkLaunchWindowActive.Value = 0\n"
                             "frmOrvane.tmrCountdown.Enabled = True\n"
                             "frmOrvane.tmrCountdown.Interval = 1\n"
                             "frmOrvane.pctLaunchTime.Tag = \"\"\n"
                             "frmOrvane.mnuEST.Checked = True\n"
                             "frmOrvane.Loaded = True\n");
}

TEST_F(RunnerTest, PrintAndExpectNeverLoadAWindow) {
    ASSERT_TRUE(more("print frmOrvane.lblSeconds\n"
                     "print frmOrvane\n"
                     "print frmOrvane.Loaded\n"
                     "expect frmOrvane.lblSeconds <not loaded>\n"
                     "setting Callouts Sound 0\n"
                     "clock 2001-05-03 10:29:50\n"
                     "start\n"
                     "advance 3s\n"
                     "print frmSplash.lblVersion.Caption\n"
                     "expect frmSplash.Loaded False\n"))
        << runner.error();
    EXPECT_EQ(printed(), "frmOrvane.lblSeconds = <not loaded>\n"
                         "frmOrvane.Caption = <not loaded>\n"
                         "frmOrvane.Loaded = False\n"
                         "frmSplash.lblVersion.Caption = <not loaded>\n");
    EXPECT_FALSE(runner.app()->isLoaded("frmSplash"));
}

TEST_F(RunnerTest, UnknownTargetsFail) {
    startAfterSplash();
    const char* lines[] = {
        "print frmNowhere",
        "print frmNowhere.Loaded",
        "print frmOrvane.lblNowhere.Caption",
        "print frmOrvane.Nowhere",
        "print frmOrvane.lblSeconds.Colour",
        "print frmOrvane.shpIndicator",
        "print frmOrvane.shpIndicator(7)",
        "print frmOrvane.sbrStatusBar(pnlNowhere)",
        "click frmOrvane.cmdNowhere",
        "set frmOrvane.lblSeconds.Colour 5",
    };
    for (const char* line : lines) {
        EXPECT_FALSE(runner.runLine(line)) << line;
        EXPECT_NE(runner.error().find("unknown target"), std::string::npos) << runner.error();
    }
}

TEST_F(RunnerTest, MalformedLinesFailNamingTheirLine) {
    const char* lines[] = {
        "launch now",
        "advance soon",
        "advance",
        "advance 5s later",
        "clock 2001-05-03",
        "clock 2001-02-30 10:00:00",
        "answer Maybe",
        "seed -1",
        "start now",
        "print frmOrvane.lblSeconds extra",
        "print \"frmOrvane.lblSeconds",
        "expect frmOrvane.lblSeconds",
        "expect frmOrvane.lblSeconds \"06\" extra",
        "print frmOrvane..lblSeconds",
        "write-file ../outside.txt x",
        "write-file /tmp/outside.txt x",
        "program-dir /no/such/folder/anywhere",
        "refuse-clock-changes \"\"",
        "cancel-dialog now",
        "arguments --frobnicate",
        "arguments --version",
        "arguments one.ovx two.ovx",
        "timezone Nowhere/Atlantis",
        "timezone",
        "timezone Europe/Berlin extra",
    };
    for (const char* line : lines) {
        ScriptRunner fresh(out);
        std::istringstream in(std::string("# a story\n") + line + "\n");
        EXPECT_FALSE(fresh.runScript(in, "bad.txt")) << line;
        EXPECT_TRUE(fresh.error().starts_with("bad.txt:2: ")) << line << ": " << fresh.error();
    }
}

TEST_F(RunnerTest, MalformedInputCommandsFail) {
    startAfterSplash();
    for (const char* line :
         {"mouseup frmOrvane.lblDays middle", "key frmOrvane Esc", "key frmOrvane 70000",
          "key frmOrvane.lblDays 27", "close frmOrvane.lblDays", "click frmOrvane.lblDays.Caption",
          "set frmOrvane.lblDays 5", "set frmOrvane.Width wide", "set frmOrvane.Nowhere 1"})
        EXPECT_FALSE(runner.runLine(line)) << line;
}

// The callouts' lines are refused, with the reason, as the Callouts dialog would refuse them.
TEST_F(RunnerTest, CalloutLinesAreCheckedAsTheDialogChecks) {
    const std::pair<const char*, const char*> refused[] = {
        {"callout-family final maybe", "story.txt:1: a family is on or off, not maybe"},
        {"callout-family tones off",
         "story.txt:1: tones is not a family of callouts (final, minutes, seconds, holds, "
         "built-in-holds, events, window, commands)"},
        {"callout-family final", "story.txt:1: missing on|off"},
        {"callout-entry T-00:09 poll",
         "story.txt:1: T-00:09 is not a T-time such as T-00:09:00 or T+00:00:10"},
        {"callout-entry T-00:09:00", "story.txt:1: missing TEXT"},
        {"callout-entry T-00:00:05 again", "story.txt:1: entry 1 is said at T-00:00:05 already"},
    };
    EXPECT_FALSE(runner.runLine("callout-family final off")) << "only once the program runs";
    startAfterSplash();
    ASSERT_TRUE(more("callout-entry T-00:00:05 five, our own\ncallout-family final off\n"))
        << runner.error();
    for (const auto& [line, why] : refused) {
        EXPECT_FALSE(more(line)) << line;
        EXPECT_EQ(runner.error(), why);
    }
    EXPECT_FALSE(runner.runLine("callout-family final on extra"));
    // From T - 7: the final count off, then on again.
    ASSERT_TRUE(more("advance 2s\ncallout-family final on\nadvance 4s\n")) << runner.error();
    EXPECT_EQ(printed(), "callout \"five, our own\"\ncallout \"four\"\ncallout \"three\"\n"
                         "callout \"two\"\ncallout \"one\"\n");
}

TEST_F(RunnerTest, SetupComesBeforeStartAndInputAfterIt) {
    EXPECT_FALSE(runner.runLine("click frmOrvane.cmdAccess"));
    EXPECT_FALSE(runner.runLine("set frmOrvane.txtHours 12"));
    EXPECT_FALSE(runner.runLine("close frmOrvane"));
    startAfterSplash();
    for (const char* line : {"setting Options Key 1", "arguments a", "program-dir /tmp",
                             "timezone Europe/Berlin", "start"})
        EXPECT_FALSE(runner.runLine(line)) << line;
    EXPECT_EQ(runner.error(), "<line>:1: the program has already started");
}

TEST_F(RunnerTest, AfterEndProgramOnlyPrintAndExpectRun) {
    startAfterSplash();
    ASSERT_TRUE(more("answer No\nkey frmOrvane 27"));
    EXPECT_TRUE(printed().ends_with("help close-all\nend-program\n"));
    EXPECT_TRUE(more("print frmOrvane.Loaded\nexpect frmOrvane.lblSeconds 07\n"));
    for (const char* line :
         {"click frmOrvane.cmdAccess", "advance 1s", "clock 2001-05-03 10:00:00", "answer OK",
          "seed 2", "print-setting Options Key", "key frmOrvane 27"}) {
        EXPECT_FALSE(runner.runLine(line)) << line;
        EXPECT_NE(runner.error().find("after end-program"), std::string::npos) << runner.error();
    }
}

TEST_F(RunnerTest, AClockLineAfterStartIsAJumpTheWindowShowsAtOnce) {
    startAfterSplash();
    ASSERT_TRUE(more("clock 2001-05-03 10:29:58\n"
                     "expect frmOrvane.lblSeconds 02\n"
                     "clock 2001-05-03 10:30:01\n"
                     "expect frmOrvane.lblTMinus T +\n"
                     "expect frmOrvane.lblSeconds 01\n"))
        << runner.error();
}

// The clock runs in real seconds and shows the script zone's wall time: an hour after the
// first 1:30 AM of the night the clocks go back, it shows 1:30 AM again.
TEST_F(RunnerTest, TheClockShowsLocalTimeInTheScriptsZone) {
    ASSERT_TRUE(more("clock 2026-11-01 01:30:00\n"
                     "timezone America/New_York\n"
                     "start\n"
                     "advance 3s\n"
                     "click frmOrvane.cmdAccess\n"
                     "advance 1s\n"
                     "expect frmOrvane.sbrStatusBar(pnlCurrentDate) \"Nov 1, 2026  1:30:04 AM\"\n"
                     "advance 1h\n"
                     "expect frmOrvane.sbrStatusBar(pnlCurrentDate) \"Nov 1, 2026  1:30:04 AM\"\n"
                     "advance 1h\n"
                     "expect frmOrvane.sbrStatusBar(pnlCurrentDate) \"Nov 1, 2026  2:30:04 AM\"\n"))
        << runner.error();
    EXPECT_FALSE(runner.runLine("clock 2026-03-08 02:30:00", "story.txt", 10));
    EXPECT_EQ(runner.error(),
              "story.txt:10: \"2026-03-08 02:30:00\" does not exist in America/New_York: the "
              "clocks go forward from 2026-03-08 02:00:00 to 2026-03-08 03:00:00");
    EXPECT_TRUE(runner.runLine("clock 2026-03-08 03:00:00")) << runner.error();
}

} // namespace
} // namespace orvane::script::test
