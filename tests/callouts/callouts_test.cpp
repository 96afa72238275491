#include "callouts/callouts.h"
#include "callouts/frmCallouts.h"
#include "events/frmEventTimers.h"
#include "shell/frmSplash.h"
#include "support/app_fixture.h"

#include <algorithm>

namespace orvane::test {
namespace {

class CalloutsTest : public AppTest {
  protected:
    frmCallouts& openDialog() {
        EXPECT_TRUE(click(main().control<MenuItem>("mnuCallouts")));
        return *app.loaded<frmCallouts>();
    }
    std::vector<std::string> callouts() const {
        std::vector<std::string> said;
        std::copy_if(world.transcript.begin(), world.transcript.end(), std::back_inserter(said),
                     [](const std::string& line) { return line.starts_with("callout "); });
        return said;
    }
    std::string setting(const std::string& key) {
        return world.settings.stored("Callouts", key).value_or("<absent>");
    }
};

TEST_F(CalloutsTest, DialogShowsItsDesignAndTheChoicesAsKept) {
    clockAt("2001-05-03 10:20:00");
    startAndSettle();
    frmCallouts& d = openDialog();
    EXPECT_TRUE(d.visible());
    EXPECT_EQ(d.caption(), "Callouts");
    EXPECT_EQ(d.chkSound.value(), 1);
    EXPECT_EQ(d.lblState.caption(), "Sound is on.");
    EXPECT_EQ(d.lblVolumeValue.caption(), "80 %");
    EXPECT_EQ(d.lblVoiceName.caption(), "English");
    EXPECT_EQ(d.vsbVoice.max(), 2) << "one place for each installed voice";
    for (CheckBox* box : {&d.chkMinutes, &d.chkFinalCount, &d.chkHolds, &d.chkEvents, &d.chkWindow})
        EXPECT_EQ(box->value(), 1) << box->displayName();
    EXPECT_TRUE(d.cmdClose.isCancel());
    EXPECT_TRUE(d.cmdTest.enabled());

    // Each choice is kept at once and reaches the sound output.
    ASSERT_TRUE(type(d.vsbVolume, "35"));
    ASSERT_TRUE(type(d.vsbVoice, "2"));
    EXPECT_EQ(d.lblVolumeValue.caption(), "35 %");
    EXPECT_EQ(d.lblVoiceName.caption(), "French");
    EXPECT_EQ(world.sound.volume, 35);
    EXPECT_EQ(world.sound.voice, "French");
    EXPECT_EQ(setting("Volume"), "35");
    EXPECT_EQ(setting("Voice"), "French");
    ASSERT_TRUE(click(d.chkFinalCount));
    EXPECT_EQ(setting("Final Count"), "0");

    ASSERT_TRUE(click(d.cmdTest));
    EXPECT_EQ(callouts(), std::vector<std::string>{"callout \"T minus ten, nine, eight\""});
}

// Each box of the dialog, unticked and ticked again, is kept each time.
TEST_F(CalloutsTest, EachWhichBoxIsKeptAsTicked) {
    clockAt("2001-05-03 10:20:00");
    startAndSettle();
    frmCallouts& d = openDialog();
    const std::pair<CheckBox*, const char*> boxes[] = {
        {&d.chkSound, "Sound"}, {&d.chkMinutes, "Minutes"}, {&d.chkFinalCount, "Final Count"},
        {&d.chkHolds, "Holds"}, {&d.chkEvents, "Events"},   {&d.chkWindow, "Launch Window"}};
    for (const auto& [box, key] : boxes)
        for (const char* kept : {"0", "1"}) {
            ASSERT_TRUE(click(*box)) << key;
            EXPECT_EQ(setting(key), kept) << key;
            EXPECT_EQ(box->value(), kept[0] - '0') << key;
        }
}

TEST_F(CalloutsTest, ChoicesKeptComeBackAtTheNextStart) {
    world.settings.save("orvane", "Callouts", "Tones", "1");
    world.settings.save("orvane", "Callouts", "Volume", "250");
    clockAt("2001-05-03 10:29:45");
    startAndSettle();
    EXPECT_EQ(app.callouts().choices().tone, CalloutChoices::Tone::EachSecond);
    EXPECT_TRUE(app.callouts().choices().toneAlone) << "the tones stood in for the numbers";
    EXPECT_EQ(app.callouts().choices().volume, 100) << "a volume out of range is kept in range";
    advance(4s);
    const std::vector<std::string> tones(3, "callout tone");
    EXPECT_EQ(callouts(), tones) << "T - 10, T - 9 and T - 8 as tones";
}

// With no sound server the program counts as always, silently, and says why once: in the
// status bar and in the dialog.
TEST_F(CalloutsTest, NoSoundSaysWhyAndSaysNothing) {
    world.sound.setUnavailable("No sound server: Connection refused.");
    clockAt("2001-05-03 10:29:45");
    startAndSettle();
    ASSERT_TRUE(click(main().control<CommandButton>("cmdAccess")));
    const StatusPanel& panel = *main().control<StatusBar>("sbrStatusBar").panel("pnlSound");
    EXPECT_EQ(panel.text(), "No sound");
    EXPECT_EQ(panel.toolTipText(), "No sound server: Connection refused.");
    frmCallouts& d = openDialog();
    EXPECT_EQ(d.lblState.caption(), "No sound server: Connection refused.");
    EXPECT_FALSE(d.cmdTest.enabled());
    advance(20s);
    EXPECT_TRUE(callouts().empty());
    // Each cue that could not be heard is counted, and the tip says so.
    EXPECT_EQ(panel.toolTipText(), "No sound server: Connection refused. 11 callouts could not be "
                                   "heard, the last \"liftoff\".");

    // The server comes back: the status bar follows at once.
    world.sound.setUnavailable("");
    EXPECT_EQ(panel.text(), "Sound");
    EXPECT_EQ(d.lblState.caption(), "Sound is on.");
    // A cue the output could not play in time is counted alike.
    world.sound.onMissed("");
    EXPECT_EQ(panel.toolTipText(), "Callouts are spoken: Ctrl+U mutes them. 12 callouts could not "
                                   "be heard, the last a tone.");
}

// Regression: on the program's own clock the cues were put at the program's seconds less its
// offset taken as seconds, far from any second the sound would ever reach, so nothing was
// heard. Each cue is due when the program's clock turns to its second, on the computer's clock.
TEST_F(CalloutsTest, OnTheProgramsOwnClockCuesAreDueWhenItsSecondTurns) {
    clockAt("2001-05-03 10:29:45");
    startAndSettle();
    app.ownClock().setOffset(-250);
    advance(1s);
    const auto ten = std::ranges::find(world.sound.planned, "T minus ten", &Cue::text);
    ASSERT_NE(ten, world.sound.planned.end());
    // The program's 10:29:50 is the computer's 10:29:50.250.
    EXPECT_EQ(ten->atMs, app.launchMoment().unixSeconds() * 1000 - 10'000 + 250);
}

TEST_F(CalloutsTest, FirstStartSaysSoundIsOnAndHowToMute_OnlyOnce) {
    clockAt("2001-05-03 10:20:00");
    start();
    EXPECT_TRUE(app.frmSplash().lblSound.visible());
    EXPECT_EQ(app.frmSplash().lblSound.caption(),
              "Callouts are spoken aloud: Ctrl+U or Settings, Mute Callouts, mutes them.");
    EXPECT_EQ(setting("Introduced"), "1");
    EXPECT_FALSE(app.callouts().firstStartNote());
}

// The output hears of the cues ahead, so that each can be written before its second, and of
// every phrase it may have to say, so that each is made in time.
TEST_F(CalloutsTest, OutputHearsOfCuesAheadAndPhrasesEarly) {
    clockAt("2001-05-03 10:29:45");
    startAndSettle();
    advance(1s);
    ASSERT_EQ(world.sound.planned.size(), 3u) << "T - 10, 9 and 8, from T - 11";
    EXPECT_EQ(world.sound.planned[0].text, "T minus ten");
    const std::int64_t launchMs = app.launchMoment().unixSeconds() * 1000;
    EXPECT_EQ(world.sound.planned[0].atMs, launchMs - 10'000);
    auto prepared = [&](const std::string& p) {
        return std::ranges::count(world.sound.prepared, p) == 1;
    };
    EXPECT_TRUE(prepared("liftoff"));
    EXPECT_TRUE(prepared("hold"));
    EXPECT_TRUE(prepared("launch window expires in one minute"));

    ASSERT_TRUE(click(main().control<MenuItem>("mnuRtHoldEnable")));
    ASSERT_TRUE(click(main().control<CommandButton>("cmdHoldResume")));
    EXPECT_TRUE(world.sound.planned.empty()) << "a hold silences what was due";
    EXPECT_TRUE(prepared("resuming count, T minus 0 minutes 11 seconds"));
}

// Regression: an event named after it was defined had its name said as a tone, the phrase never
// made. A planned cue's phrase is made when it is planned, seconds ahead.
TEST_F(CalloutsTest, AnEventNamedLateIsMadeBeforeItsMoment) {
    clockAt("2001-05-03 10:29:40");
    startAndSettle();
    frmEventTimers& b = app.frmEventTimers();
    b.EventData().setPlus(0, "-");
    b.EventData().setSecs(0, 5);
    b.control<PictureBox>("pctEvent", 0).setTag("-");
    b.control<Label>("lblName", 0).setCaption("Tower clear");
    EXPECT_EQ(std::ranges::count(world.sound.prepared, "Tower clear"), 0);
    advance(10s);
    EXPECT_EQ(std::ranges::count(world.sound.prepared, "Tower clear"), 1);
    advance(3s);
    EXPECT_EQ(std::ranges::count(callouts(), "callout \"Tower clear\""), 1);
}

// Every phrase of the final count is made at the start, before its second comes.
TEST_F(CalloutsTest, EveryCountCueIsMadeBeforeItIsSaid) {
    clockAt("2001-05-03 10:19:55");
    startAndSettle();
    const std::vector<std::string> early = world.sound.prepared;
    advance(10min + 5s);
    ASSERT_EQ(callouts().size(), 15u) << "the minute marks, thirty seconds, and T - 10 to liftoff";
    for (const std::string& said : callouts())
        EXPECT_EQ(std::ranges::count(early, said.substr(9, said.size() - 10)), 1) << said;
}

// The resume phrase tells the count in whole minutes and the seconds over, either side of
// liftoff.
TEST(ResumePhrase, TellsMinutesAndSeconds) {
    for (const auto& [seconds, phrase] :
         {std::pair<std::int64_t, const char*>{59, "resuming count, T minus 0 minutes 59 seconds"},
          {3600, "resuming count, T minus 60 minutes 0 seconds"},
          {-61, "resuming count, T plus 1 minutes 1 seconds"}})
        EXPECT_EQ(Callouts::resumePhrase(ShownCount::fromSecondsToLaunch(seconds)), phrase);
}

} // namespace
} // namespace orvane::test
