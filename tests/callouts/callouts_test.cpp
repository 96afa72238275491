#include "callouts/callouts.h"
#include "callouts/callouts_fixture.h"
#include "events/frmEventTimers.h"
#include "clock/plan_run.h"
#include "remote/remote_control.h"
#include "shell/frmSplash.h"

#include <algorithm>

namespace orvane::test {
namespace {

using CalloutsTest = CalloutsFixture;

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
        {&d.chkSound, "Sound"},       {&d.chkMinutes, "Minutes"},
        {&d.chkSeconds, "Seconds"},   {&d.chkFinalCount, "Final Count"},
        {&d.chkHolds, "Holds"},       {&d.chkBuiltInHolds, "Built-in Holds"},
        {&d.chkEvents, "Events"},     {&d.chkWindow, "Launch Window"},
        {&d.chkCommands, "Commands"}};
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

// A follower takes a new launch time from its leader without a happening of its own: the
// count put back above what was said makes it ahead again, so the leader's second count is
// heard in the follower's room too.
TEST_F(CalloutsTest, ACountPutBackByTheLeaderIsSaidAgain) {
    clockAt("2001-05-03 10:29:47");
    startAndSettle();
    advance(10s);
    const std::vector<std::string> first = callouts();
    ASSERT_EQ(first.size(), 11u) << "T - 10 to liftoff";
    EXPECT_EQ(first.back(), "callout \"liftoff\"");
    frmOrvane::Followed leader;
    leader.launch = main().launchMoment().addSeconds(12);
    main().FollowLeader(leader);
    advance(12s);
    std::vector<std::string> second = callouts();
    second.erase(second.begin(), second.begin() + std::ptrdiff_t(first.size()));
    EXPECT_EQ(second, first) << "the second count heard as the first";
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
    ASSERT_EQ(callouts().size(), 17u)
        << "the minute marks, thirty, twenty and fifteen seconds, and T - 10 to liftoff";
    for (const std::string& said : callouts())
        EXPECT_EQ(std::ranges::count(early, said.substr(9, said.size() - 10)), 1) << said;
}

// Each family says its own cues and nothing else; an entry's words take the place of the
// cue of its second, whichever family that belongs to.
TEST(CountCue, EachFamilyHasItsSeconds) {
    CalloutChoices none;
    for (const char* name : CalloutFamilies)
        *calloutFamily(none, name) = false;
    EXPECT_EQ(calloutFamily(none, "tones"), nullptr);
    auto cues = [](const CalloutChoices& c) {
        std::vector<std::string> said;
        for (std::int64_t s = 700; s >= -5; --s)
            if (auto cue = Callouts::countCue(s, c))
                said.push_back(std::to_string(s) + " " + *cue);
        return said;
    };
    EXPECT_TRUE(cues(none).empty());
    CalloutChoices c = none;
    *calloutFamily(c, "minutes") = true;
    EXPECT_EQ(cues(c), (std::vector<std::string>{"600 T minus ten minutes",
                                                 "300 T minus five minutes",
                                                 "60 T minus one minute"}));
    c = none;
    *calloutFamily(c, "seconds") = true;
    EXPECT_EQ(cues(c), (std::vector<std::string>{"30 T minus thirty seconds",
                                                 "20 T minus twenty seconds",
                                                 "15 T minus fifteen seconds"}));
    c = none;
    *calloutFamily(c, "final") = true;
    const std::vector<std::string> final = cues(c);
    ASSERT_EQ(final.size(), 11u);
    EXPECT_EQ(final.front(), "10 T minus ten");
    EXPECT_EQ(final[9], "1 one");
    EXPECT_EQ(final.back(), "0 liftoff");
    for (const char* name : {"holds", "built-in-holds", "events", "window", "commands"}) {
        c = none;
        *calloutFamily(c, name) = true;
        EXPECT_TRUE(cues(c).empty()) << name;
    }
    EXPECT_EQ(calloutFamily(c, "built-in-holds"), &c.builtInHolds);
    EXPECT_EQ(calloutFamily(c, "window"), &c.window);
    EXPECT_EQ(calloutFamily(c, "events"), &c.events);
    EXPECT_EQ(calloutFamily(c, "holds"), &c.holds);
    EXPECT_EQ(calloutFamily(c, "commands"), &c.commands);
}

// The choices kept before the families were split carry over to the families they covered.
TEST_F(CalloutsTest, OldChoicesCarryOverToTheirFamilies) {
    world.settings.save("orvane", "Callouts", "Minutes", "0");
    world.settings.save("orvane", "Callouts", "Holds", "0");
    clockAt("2001-05-03 10:20:00");
    startAndSettle();
    const CalloutChoices& c = app.callouts().choices();
    EXPECT_FALSE(c.minutes);
    EXPECT_FALSE(c.seconds);
    EXPECT_FALSE(c.holds);
    EXPECT_FALSE(c.builtInHolds);
    EXPECT_FALSE(c.commands);
    EXPECT_TRUE(c.finalCount);
    EXPECT_TRUE(c.events);
}

TEST_F(CalloutsTest, NewFamiliesKeptApartFromTheOldOnes) {
    world.settings.save("orvane", "Callouts", "Minutes", "0");
    world.settings.save("orvane", "Callouts", "Seconds", "1");
    world.settings.save("orvane", "Callouts", "Holds", "1");
    world.settings.save("orvane", "Callouts", "Built-in Holds", "0");
    world.settings.save("orvane", "Callouts", "Commands", "0");
    clockAt("2001-05-03 10:20:00");
    startAndSettle();
    const CalloutChoices& c = app.callouts().choices();
    EXPECT_FALSE(c.minutes);
    EXPECT_TRUE(c.seconds);
    EXPECT_TRUE(c.holds);
    EXPECT_FALSE(c.builtInHolds);
    EXPECT_FALSE(c.commands);
}

// A paired device's command is said with the device's name while the commands family is on;
// off, a hold it gives is said as the holds family says any hold.
TEST_F(CalloutsTest, ADevicesCommandsAreSaidWithItsName) {
    constexpr const char* Tablet = "Flight director's tablet";
    clockAt("2001-05-03 10:20:00");
    startAndSettle();
    setControlAllowed(world.services.settings, app.info().exeName, true);
    auto give = [&](RemoteCommand c) {
        std::string why;
        world.scheduler.deliver([&] { why = giveRemoteCommand(app, c, Tablet); });
        return why;
    };
    ASSERT_EQ(give(RemoteCommand::HoldEnable), "");
    ASSERT_EQ(give(RemoteCommand::Hold), "");
    advance(3s);
    ASSERT_EQ(give(RemoteCommand::Resume), "");
    ASSERT_EQ(give(RemoteCommand::Mute), "");
    ASSERT_EQ(give(RemoteCommand::Unmute), "");
    ASSERT_EQ(give(RemoteCommand::HoldDisable), "");
    EXPECT_EQ(callouts(),
              (std::vector<std::string>{
                  "callout \"holds enabled, by Flight director's tablet\"",
                  "callout \"hold, by Flight director's tablet\"",
                  "callout \"resuming count, T minus 9 minutes 57 seconds, by Flight director's "
                  "tablet\"",
                  "callout \"callouts on, by Flight director's tablet\"",
                  "callout \"holds disabled, by Flight director's tablet\""}));

    CalloutChoices c = app.callouts().choices();
    c.commands = false;
    app.callouts().setChoices(c);
    world.transcript.clear();
    ASSERT_EQ(give(RemoteCommand::HoldEnable), "");
    ASSERT_EQ(give(RemoteCommand::Hold), "");
    ASSERT_EQ(give(RemoteCommand::Resume), "");
    EXPECT_EQ(callouts(), (std::vector<std::string>{
                              "callout \"hold\"",
                              "callout \"resuming count, T minus 9 minutes 57 seconds\""}));
    c.holds = false;
    app.callouts().setChoices(c);
    world.transcript.clear();
    ASSERT_EQ(give(RemoteCommand::Hold), "");
    ASSERT_EQ(give(RemoteCommand::Resume), "");
    EXPECT_TRUE(callouts().empty());
}

// The built-in holds are a family of their own, apart from the holds by hand.
TEST_F(CalloutsTest, BuiltInHoldsAreAFamilyOfTheirOwn) {
    CountdownPlan plan;
    ASSERT_FALSE(plan.add({9 * 60, 60, "Poll", false}));
    clockAt("2001-05-03 10:20:54");
    startAndSettle();
    app.launchState().plan().setHolds(plan);
    PlanRun::planChanged(main());
    CalloutChoices c = app.callouts().choices();
    c.holds = false;
    app.callouts().setChoices(c);
    advance(3s);
    EXPECT_EQ(callouts(), std::vector<std::string>{
                              "callout \"T minus nine minutes and holding\""});
    c.builtInHolds = false;
    c.holds = true;
    app.callouts().setChoices(c);
    advance(60s);
    EXPECT_EQ(callouts().size(), 1u) << "its end is not said";
}

// An entry's words are said at its second in place of the families' cue, once for a launch
// time, and planned ahead like any cue; the entries that apply are the open plan's.
TEST_F(CalloutsTest, EntriesTakeTheirSecondsAndFollowThePlan) {
    clockAt("2001-05-03 10:29:22");
    startAndSettle();
    Callouts& co = app.callouts();
    ASSERT_FALSE(co.setEntry(0, {30, "thirty, go for terminal count"}));
    ASSERT_FALSE(co.setEntry(5, {12, "twelve"})) << "past the last is added";
    EXPECT_EQ(co.entries().size(), 2u);
    EXPECT_EQ(co.setEntry(2, {30, "again"}), "entry 1 is said at T-00:00:30 already");
    EXPECT_FALSE(co.setEntry(1, {11, "eleven"})) << "an entry may move to another second";
    EXPECT_FALSE(co.setEntry(1, {11, "eleven"})) << "nor does it clash with itself";
    EXPECT_EQ(co.setEntry(1, {11, ""}), "there are no words to say");
    EXPECT_EQ(setting("Entry 2"), "T-00:00:11 eleven");
    EXPECT_EQ(std::ranges::count(world.sound.prepared, "eleven"), 1) << "made ready at once";
    advance(2s);
    ASSERT_EQ(world.sound.planned.size(), 1u);
    EXPECT_EQ(world.sound.planned[0].text, "thirty, go for terminal count");
    advance(22s);
    EXPECT_EQ(callouts(), (std::vector<std::string>{"callout \"thirty, go for terminal count\"",
                                                    "callout \"T minus twenty seconds\"",
                                                    "callout \"T minus fifteen seconds\"",
                                                    "callout \"eleven\""}));
    // A plan opened brings its own; the settings' are kept for when it is closed.
    CountdownPlan plan;
    plan.callouts().push_back({5, "five from the plan"});
    app.launchState().plan().setHolds(plan);
    PlanRun::planChanged(main());
    EXPECT_TRUE(co.entriesInPlan());
    EXPECT_EQ(co.entries(), plan.callouts());
    ASSERT_FALSE(co.setEntry(1, {4, "four"}));
    EXPECT_EQ(app.launchState().plan().callouts().size(), 2u);
    EXPECT_EQ(setting("Entries"), "2") << "the settings' are left alone";
    advance(7s);
    EXPECT_EQ(callouts().back(), "callout \"four\"");
    EXPECT_EQ(std::ranges::count(callouts(), "callout \"five from the plan\""), 1);
    co.removeEntry(0);
    co.removeEntry(7);
    EXPECT_EQ(app.launchState().plan().callouts(), (std::vector<CalloutEntry>{{4, "four"}}));
    app.launchState().plan().setHolds(CountdownPlan{});
    PlanRun::planChanged(main());
    EXPECT_FALSE(co.entriesInPlan());
    EXPECT_EQ(co.entries().size(), 2u);
    co.removeEntry(0);
    EXPECT_EQ(setting("Entries"), "1");
    EXPECT_EQ(setting("Entry 1"), "T-00:00:11 eleven");
}

// An event falling on an entry's second is neither planned nor said: the team's words win.
TEST_F(CalloutsTest, AnEntryTakesTheSecondOfAnEvent) {
    clockAt("2001-05-03 10:29:40");
    startAndSettle();
    frmEventTimers& b = app.frmEventTimers();
    const std::pair<int, const char*> events[] = {{15, "Tower clear"}, {14, "Arm range safety"}};
    for (int n = 0; n < 2; ++n) {
        b.EventData().setPlus(n, "-");
        b.EventData().setSecs(n, events[n].first);
        b.control<PictureBox>("pctEvent", n).setTag("-");
        b.control<Label>("lblName", n).setCaption(events[n].second);
    }
    ASSERT_FALSE(app.callouts().setEntry(0, {15, "fifteen, our own"}));
    advance(1s);
    std::vector<std::string> planned;
    for (const Cue& c : world.sound.planned)
        planned.push_back(c.text);
    EXPECT_EQ(planned, (std::vector<std::string>{"fifteen, our own", "Arm range safety"}));
    advance(2s);
    EXPECT_EQ(callouts(), (std::vector<std::string>{"callout \"fifteen, our own\"",
                                                    "callout \"Arm range safety\""}));
}

// An entry that would still be sounding when the next cue is due, by its spoken length once
// known, is marked; the cue of the very next second counts.
TEST_F(CalloutsTest, AnEntryRunningIntoTheNextCueIsMarked) {
    clockAt("2001-05-03 10:00:00");
    startAndSettle();
    Callouts& co = app.callouts();
    world.sound.lengths = {{"a", 2000}, {"b", 2001}, {"c", 999}, {"d", 1001}};
    ASSERT_FALSE(co.setEntry(0, {32, "a"}));
    ASSERT_FALSE(co.setEntry(1, {42, "b"}));
    ASSERT_FALSE(co.setEntry(2, {40, "c"}));
    ASSERT_FALSE(co.setEntry(3, {-1, "d"}));
    EXPECT_EQ(co.overlap(0), std::nullopt) << "two seconds exactly end as T-30 begins";
    EXPECT_EQ(co.overlap(1), 1) << "into the entry at T-40";
    EXPECT_EQ(co.overlap(2), std::nullopt) << "ends before T-39, and nothing is said until T-32";
    EXPECT_EQ(co.overlap(3), std::nullopt) << "nothing follows at T+2";
    EXPECT_EQ(co.overlap(4), std::nullopt);
    world.sound.lengths["a"] = 2500;
    EXPECT_EQ(co.overlap(0), 500);
    CalloutChoices c = co.choices();
    c.seconds = false;
    co.setChoices(c);
    EXPECT_EQ(co.overlap(0), std::nullopt) << "with the seconds marks off, T-10 is next";
    ASSERT_FALSE(co.setEntry(4, {30, "e"}));
    EXPECT_EQ(co.overlap(0), 500) << "an entry is a cue whatever the families";
    // A tone sounds over the words: it cuts nothing, so it is no next cue; words are.
    ASSERT_FALSE(co.setEntry(5, {12, "f"}));
    world.sound.lengths["f"] = 2500;
    c.tone = CalloutChoices::Tone::EachSecond;
    c.toneAlone = true;
    co.setChoices(c);
    EXPECT_EQ(co.overlap(5), std::nullopt) << "T-10 has only its tone";
    c.toneAlone = false;
    co.setChoices(c);
    EXPECT_EQ(co.overlap(5), 500) << "T-10 says \"T minus ten\" with its tone";
    world.sound.prepared.clear();
    EXPECT_EQ(co.overlap(0), std::nullopt) << "not known before it is made ready";
    co.entriesChanged();

    frmCallouts& d = openDialog();
    EXPECT_EQ(d.lblOverlap[0].caption(), "overlaps");
    EXPECT_EQ(d.lblOverlap[0].toolTipText(),
              "Still speaking 500 ms after the next cue is due: the next cue cuts it short.");
    EXPECT_EQ(d.lblOverlap[1].caption(), "overlaps");
    EXPECT_EQ(d.lblOverlap[2].caption(), "");
    EXPECT_EQ(d.lblOverlap[2].toolTipText(), "");
    // The mark follows the output's word that lengths are known.
    world.sound.lengths["c"] = 8500;
    world.sound.onReady();
    EXPECT_EQ(d.lblOverlap[2].caption(), "overlaps");
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
