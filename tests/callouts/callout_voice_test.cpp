// The Callouts dialog's voice-and-output column: the voice, its variant, speed and pitch, the
// output and the volume, and the tone that marks the final count's seconds.

#include "callouts/callouts.h"
#include "callouts/callouts_fixture.h"

#include <algorithm>

namespace orvane::test {
namespace {

class CalloutVoiceTest : public CalloutsFixture {
  protected:
    const StatusPanel& soundPanel() {
        return *main().control<StatusBar>("sbrStatusBar").panel("pnlSound");
    }
};

TEST_F(CalloutVoiceTest, TheColumnSitsRightOfTheOthersAndKeepsEachChoice) {
    clockAt("2001-05-03 10:20:00");
    startAndSettle();
    frmCallouts& d = openDialog();
    EXPECT_GE(d.width(), 12000);
    EXPECT_GE(d.fraVoice.left(), 6240);
    EXPECT_EQ(d.fraVoice.caption(), "Voice and output");
    for (Control* c : std::initializer_list<Control*>{&d.vsbVoice, &d.vsbVariant, &d.vsbSpeed,
                                                      &d.vsbPitch, &d.cmdSayIt, &d.vsbOutput,
                                                      &d.vsbVolume, &d.optToneOff, &d.chkToneAlone})
        EXPECT_EQ(c->container(), &d.fraVoice) << c->displayName();
    EXPECT_EQ(d.lblVariantName.caption(), "(none)");
    EXPECT_EQ(d.vsbVariant.max(), 2) << "none, then each variant installed";
    EXPECT_EQ(d.lblSpeedValue.caption(), "175 words a minute");
    EXPECT_EQ(d.lblPitchValue.caption(), "50");
    EXPECT_EQ(d.lblOutputName.caption(), "The default output");
    EXPECT_EQ(d.vsbOutput.max(), 2) << "the default, then each output";
    EXPECT_TRUE(d.optToneOff.value());
    EXPECT_FALSE(d.chkToneAlone.enabled()) << "no tone to stand alone";

    ASSERT_TRUE(type(d.vsbVariant, "2"));
    ASSERT_TRUE(type(d.vsbSpeed, "300"));
    ASSERT_TRUE(type(d.vsbPitch, "20"));
    ASSERT_TRUE(type(d.vsbOutput, "2"));
    ASSERT_TRUE(click(d.optToneLaunch));
    ASSERT_TRUE(click(d.chkToneAlone));
    EXPECT_EQ(d.lblVariantName.caption(), "male2");
    EXPECT_EQ(d.lblSpeedValue.caption(), "300 words a minute");
    EXPECT_EQ(d.lblOutputName.caption(), "Headset loop");
    EXPECT_EQ(world.sound.style, (VoiceStyle{"m2", 300, 20}));
    EXPECT_EQ(world.sound.output, "loop");
    EXPECT_EQ(setting("Voice Variant"), "m2");
    EXPECT_EQ(setting("Voice Speed"), "300");
    EXPECT_EQ(setting("Voice Pitch"), "20");
    EXPECT_EQ(setting("Output"), "loop");
    EXPECT_EQ(setting("Tone"), "T-0 alone");

    // Back to none and the default.
    ASSERT_TRUE(type(d.vsbVariant, "0"));
    ASSERT_TRUE(type(d.vsbOutput, "0"));
    ASSERT_TRUE(click(d.optToneEachSecond));
    EXPECT_EQ(world.sound.style.variant, "");
    EXPECT_EQ(world.sound.output, "");
    EXPECT_EQ(setting("Tone"), "each second alone");
    ASSERT_TRUE(click(d.optToneOff));
    EXPECT_EQ(setting("Tone"), "off");
}

TEST_F(CalloutVoiceTest, ChoicesComeBackAtTheNextStart_OutOfRangeKeptInRange) {
    for (const auto& [key, value] : {std::pair{"Voice Variant", "f3"},
                                     {"Voice Speed", "999"},
                                     {"Voice Pitch", "-4"},
                                     {"Output", "loop"},
                                     {"Tone", "each second"}})
        world.settings.save("orvane", "Callouts", key, value);
    clockAt("2001-05-03 10:20:00");
    startAndSettle();
    const CalloutChoices& c = app.callouts().choices();
    EXPECT_EQ(c.style, (VoiceStyle{"f3", VoiceStyle::MaxSpeed, 0}));
    EXPECT_EQ(c.output, "loop");
    EXPECT_EQ(c.tone, CalloutChoices::Tone::EachSecond);
    EXPECT_FALSE(c.toneAlone);
    EXPECT_EQ(world.sound.style, c.style) << "the output is told at the start";
    EXPECT_EQ(world.sound.output, "loop");
}

// "Say it" speaks at once in the voice chosen, muted or not; with no sound it is not offered.
TEST_F(CalloutVoiceTest, SayItSpeaksTheSampleEvenMuted) {
    clockAt("2001-05-03 10:20:00");
    startAndSettle();
    frmCallouts& d = openDialog();
    ASSERT_TRUE(click(d.chkSound));
    ASSERT_TRUE(click(d.cmdSayIt));
    EXPECT_EQ(callouts(), std::vector<std::string>{"callout \"T minus ten, nine, eight, seven\""});
    d.SayIt("T minus nine minutes, go for launch poll");
    EXPECT_EQ(callouts().back(), "callout \"T minus nine minutes, go for launch poll\"");
    world.sound.setUnavailable("No sound server: Connection refused.");
    EXPECT_FALSE(d.cmdSayIt.enabled());
    d.SayIt();
    EXPECT_EQ(callouts().size(), 2u) << "nothing is said without sound";
}

// The output chosen goes: the callouts play on the default, and the status bar and the dialog
// say so until it is back.
TEST_F(CalloutVoiceTest, AMissingOutputIsSaidUntilItIsBack) {
    world.settings.save("orvane", "Callouts", "Output", "loop");
    clockAt("2001-05-03 10:20:00");
    startAndSettle();
    ASSERT_TRUE(click(main().control<CommandButton>("cmdAccess")));
    EXPECT_EQ(soundPanel().text(), "Sound");
    frmCallouts& d = openDialog();
    EXPECT_EQ(d.lblOutputState.caption(), "");

    world.sound.outputList = {{"room", "Room speakers"}};
    world.sound.setOutputMissing("loop");
    EXPECT_EQ(soundPanel().text(), "Sound: default output");
    EXPECT_TRUE(soundPanel().toolTipText().starts_with(
        "The output chosen for the callouts (loop) is not there"))
        << soundPanel().toolTipText();
    EXPECT_EQ(d.lblOutputName.caption(), "loop (not there)") << "the choice is kept";
    EXPECT_EQ(d.vsbOutput.max(), 2);
    EXPECT_NE(d.lblOutputState.caption(), "");
    // Touching another choice keeps the missing output chosen.
    ASSERT_TRUE(type(d.vsbPitch, "60"));
    EXPECT_EQ(app.callouts().choices().output, "loop");

    world.sound.outputList = {{"room", "Room speakers"}, {"loop", "Headset loop"}};
    world.sound.setOutputMissing("");
    EXPECT_EQ(soundPanel().text(), "Sound");
    EXPECT_EQ(d.lblOutputName.caption(), "Headset loop");
    EXPECT_EQ(d.lblOutputState.caption(), "");

    // Muted, the panel says muted first; no sound says why, whatever the output.
    world.sound.setOutputMissing("loop");
    ASSERT_TRUE(click(d.chkSound));
    EXPECT_EQ(soundPanel().text(), "Sound: default output");
    world.sound.setUnavailable("No sound server: Connection refused.");
    EXPECT_EQ(soundPanel().text(), "No sound");
}

// The tone marks each second of the final count, or T - 0 only; with the words or alone.
TEST_F(CalloutVoiceTest, TheToneIsHeardWithTheCountsWords) {
    world.settings.save("orvane", "Callouts", "Tone", "each second");
    clockAt("2001-05-03 10:29:56");
    startAndSettle();
    advance(4s);
    const std::string tone = "callout tone";
    EXPECT_EQ(callouts(),
              (std::vector<std::string>{tone, "callout \"three\"", tone, "callout \"two\"", tone,
                                        "callout \"one\"", tone, "callout \"liftoff\""}));
}

TEST(CalloutTone, EachChoiceMarksItsSeconds) {
    using Tone = CalloutChoices::Tone;
    using Cues = std::vector<std::string>;
    auto with = [](Tone tone, bool alone) {
        CalloutChoices c;
        c.tone = tone;
        c.toneAlone = alone;
        return c;
    };
    EXPECT_EQ(Callouts::cuesAt(10, with(Tone::Off, true)), Cues{"T minus ten"});
    EXPECT_EQ(Callouts::cuesAt(0, with(Tone::Off, true)), Cues{"liftoff"});
    EXPECT_EQ(Callouts::cuesAt(10, with(Tone::EachSecond, false)), (Cues{"", "T minus ten"}));
    EXPECT_EQ(Callouts::cuesAt(0, with(Tone::EachSecond, false)), (Cues{"", "liftoff"}));
    EXPECT_EQ(Callouts::cuesAt(11, with(Tone::EachSecond, false)), Cues{});
    EXPECT_EQ(Callouts::cuesAt(-1, with(Tone::EachSecond, false)), Cues{});
    EXPECT_EQ(Callouts::cuesAt(30, with(Tone::EachSecond, true)), Cues{"T minus thirty seconds"});
    EXPECT_EQ(Callouts::cuesAt(1, with(Tone::EachSecond, true)), Cues{""});
    EXPECT_EQ(Callouts::cuesAt(1, with(Tone::LaunchSecond, true)), Cues{"one"});
    EXPECT_EQ(Callouts::cuesAt(0, with(Tone::LaunchSecond, false)), (Cues{"", "liftoff"}));
    EXPECT_EQ(Callouts::cuesAt(0, with(Tone::LaunchSecond, true)), Cues{""});
    CalloutChoices quiet = with(Tone::EachSecond, false);
    quiet.finalCount = false;
    EXPECT_EQ(Callouts::cuesAt(5, quiet), Cues{""}) << "the tone is a choice of its own";
}

} // namespace
} // namespace orvane::test
