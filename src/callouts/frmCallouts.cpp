#include "callouts/frmCallouts.h"

#include "app.h"
#include "callouts/callouts.h"

#include <algorithm>
#include <utility>

namespace orvane {

frmCallouts::frmCallouts(App& app, Callouts& callouts)
    : Form(app.services(), "frmCallouts"), m_app(app), m_callouts(callouts) {
    // Setting up the controls is no choice either.
    m_showing = true;
    setCaption("Callouts");
    setCentered(true);
    move(0, 0, 12000, 8940);

    chkSound.setCaption("&Speak the callouts");
    chkSound.move(240, 180, 5400, 330);
    lblState.setWordWrap(true);
    lblState.move(240, 540, 5400, 480);

    fraWhich.setCaption("Which callouts");
    fraWhich.move(240, 1260, 5400, 2820);
    const struct {
        CheckBox& box;
        const char* caption;
    } which[] = {
        {chkFinalCount, "The &final count, ten to liftoff"},
        {chkMinutes, "The &minute marks: ten, five, one minute"},
        {chkSeconds, "The seco&nds marks: thirty, twenty, fifteen seconds"},
        {chkHolds, "&Hold and resuming count"},
        {chkBuiltInHolds, "&Built-in holds: holding, counting"},
        {chkEvents, "&Events, by name, at their moments"},
        {chkWindow, "Launch &window expires in one minute"},
        {chkCommands, "&Commands from paired devices, with their names"},
    };
    int top = 270;
    for (const auto& w : which) {
        w.box.setCaption(w.caption);
        w.box.setContainer(&fraWhich);
        w.box.move(120, top, 5100, 270);
        w.box.onClick = [this] { TakeChoices(); };
        top += 276;
    }

    lblEntries.setCaption("Your own callouts, said in place of any other at their T-time:");
    lblEntries.move(240, 4200, 5400, 255);
    lblHeadTime.setCaption("T-time");
    lblHeadTime.move(240, 4500, 1320, 255);
    lblHeadWords.setCaption("Words");
    lblHeadWords.move(1620, 4500, 2880, 255);
    for (int n = 0; n < Rows; ++n) {
        const int rowTop = 4770 + n * 360;
        txtEntryTime[n].move(240, rowTop, 1320, 330);
        txtEntryWords[n].move(1620, rowTop, 2880, 330);
        lblOverlap[n].setForeColor(0x0000C0);
        lblOverlap[n].move(4560, rowTop + 45, 780, 255);
        txtEntryTime[n].onChange = [this, n] { TakeEntry(n); };
        txtEntryWords[n].onChange = [this, n] { TakeEntry(n); };
    }
    vsbEntries.move(5385, 4770, 255, Rows * 360 - 30);
    vsbEntries.onChange = [this] {
        if (m_showing)
            return;
        // Every row is written from the entries again: none holds a wrong entry any more.
        m_wrong = {};
        lblEntryMessage.setCaption("");
        ShowEntries();
    };
    lblEntryMessage.setForeColor(0x0000C0);
    lblEntryMessage.setWordWrap(true);
    lblEntryMessage.move(240, 6960, 5400, 480);

    lblMute.setCaption(std::string(Callouts::MuteShortcut) +
                       ", or Mute Callouts on the Settings menu, in the main window's full screen "
                       "mutes and unmutes the callouts.");
    lblMute.setWordWrap(true);
    lblMute.move(240, 7500, 5400, 480);
    cmdTest.setCaption("&Test");
    cmdTest.move(1560, 8100, 1140, 375);
    cmdClose.setCaption("&Close");
    cmdClose.setCancel(true);
    cmdClose.setDefault(true);
    cmdClose.move(3060, 8100, 1140, 375);

    fraVoice.setCaption("Voice and output");
    fraVoice.move(6240, 180, 5520, 5640);
    const struct {
        Label& name;
        const char* caption;
        Label& value;
        ScrollBar& bar;
    } rows[] = {
        {lblVoice, "Voice:", lblVoiceName, vsbVoice},
        {lblVariant, "Variant:", lblVariantName, vsbVariant},
        {lblSpeed, "Speed:", lblSpeedValue, vsbSpeed},
        {lblPitch, "Pitch:", lblPitchValue, vsbPitch},
        {lblOutput, "Output:", lblOutputName, vsbOutput},
        {lblVolume, "Volume:", lblVolumeValue, vsbVolume},
    };
    top = 330;
    for (const auto& row : rows) {
        for (Control* c : {static_cast<Control*>(&row.name), static_cast<Control*>(&row.value),
                           static_cast<Control*>(&row.bar)})
            c->setContainer(&fraVoice);
        row.name.setCaption(row.caption);
        row.name.move(120, top, 900, 300);
        row.value.move(1080, top, 3840, 300);
        row.bar.move(5040, top - 60, 255, 420);
        row.bar.onChange = [this] { TakeChoices(); };
        top += 480;
        // "Say it" follows the voice's own rows; the output's state follows the output.
        if (&row.bar == &vsbPitch)
            top += 480;
        if (&row.bar == &vsbOutput)
            top += 480;
    }
    vsbSpeed.setRange(VoiceStyle::MinSpeed, VoiceStyle::MaxSpeed);
    vsbSpeed.setLargeChange(25);
    vsbPitch.setRange(0, VoiceStyle::MaxPitch);
    vsbPitch.setLargeChange(10);
    vsbVolume.setRange(0, 100);
    vsbVolume.setLargeChange(10);
    cmdSayIt.setContainer(&fraVoice);
    cmdSayIt.setCaption("Sa&y it");
    cmdSayIt.move(1080, 2250, 1140, 375);
    lblOutputState.setContainer(&fraVoice);
    lblOutputState.setWordWrap(true);
    lblOutputState.move(1080, 3180, 4200, 420);
    lblTone.setContainer(&fraVoice);
    lblTone.setCaption("Tone:");
    lblTone.move(120, 4230, 900, 300);
    const struct {
        OptionButton& option;
        const char* caption;
    } tones[] = {
        {optToneOff, "&None"},
        {optToneEachSecond, "On &each second from T - 10 to T - 0"},
        {optToneLaunch, "At &T - 0 only"},
    };
    top = 4200;
    for (const auto& t : tones) {
        t.option.setContainer(&fraVoice);
        t.option.setCaption(t.caption);
        t.option.move(1080, top, 4200, 300);
        t.option.onClick = [this] { TakeChoices(); };
        top += 300;
    }
    chkToneAlone.setContainer(&fraVoice);
    chkToneAlone.setCaption("Tone a&lone, without the words on those seconds");
    chkToneAlone.move(1080, top + 60, 4320, 300);
    chkToneAlone.onClick = [this] { TakeChoices(); };

    onLoad = [this] {
        ShowChoices();
        ShowEntries();
    };
    chkSound.onClick = [this] { TakeChoices(); };
    cmdTest.onClick = [this] { m_callouts.test(); };
    cmdSayIt.onClick = [this] { SayIt(); };
    m_showing = false;
    cmdClose.onClick = [this] { m_app.unload(*this); };
}

void frmCallouts::ShowChoices() {
    const CalloutChoices& c = m_callouts.choices();
    const SoundState state = m_callouts.state();
    const std::vector<std::string> voices = m_callouts.voices();
    m_showing = true;
    const std::vector<VoiceVariant> variants = m_callouts.variants();
    const std::vector<SoundDevice> outputs = OutputChoices();
    chkSound.setValue(c.sound ? 1 : 0);
    vsbVolume.setValue(c.volume);
    vsbVoice.setRange(0, std::max(0, int(voices.size()) - 1));
    const auto voice = std::find(voices.begin(), voices.end(), c.voice);
    vsbVoice.setValue(voice == voices.end() ? 0 : int(voice - voices.begin()));
    // The variants' first place is none.
    vsbVariant.setRange(0, int(variants.size()));
    const auto variant = std::find_if(variants.begin(), variants.end(), [&](const VoiceVariant& v) {
        return v.file == c.style.variant;
    });
    vsbVariant.setValue(variant == variants.end() ? 0 : int(variant - variants.begin()) + 1);
    vsbSpeed.setValue(c.style.speed);
    vsbPitch.setValue(c.style.pitch);
    vsbOutput.setRange(0, int(outputs.size()) - 1);
    const auto output = std::find_if(outputs.begin(), outputs.end(),
                                     [&](const SoundDevice& d) { return d.name == c.output; });
    vsbOutput.setValue(output == outputs.end() ? 0 : int(output - outputs.begin()));
    optToneOff.setValue(c.tone == CalloutChoices::Tone::Off);
    optToneEachSecond.setValue(c.tone == CalloutChoices::Tone::EachSecond);
    optToneLaunch.setValue(c.tone == CalloutChoices::Tone::LaunchSecond);
    chkToneAlone.setValue(c.toneAlone ? 1 : 0);
    chkMinutes.setValue(c.minutes);
    chkSeconds.setValue(c.seconds);
    chkFinalCount.setValue(c.finalCount);
    chkHolds.setValue(c.holds);
    chkBuiltInHolds.setValue(c.builtInHolds);
    chkEvents.setValue(c.events);
    chkWindow.setValue(c.window);
    chkCommands.setValue(c.commands);
    m_showing = false;

    lblVolumeValue.setCaption(std::to_string(c.volume) + " %");
    lblVoiceName.setCaption(voices.empty() ? "(no voice installed)"
                                           : voices[std::size_t(vsbVoice.value())]);
    lblVariantName.setCaption(
        vsbVariant.value() == 0 ? "(none)" : variants[std::size_t(vsbVariant.value() - 1)].name);
    lblSpeedValue.setCaption(std::to_string(c.style.speed) + " words a minute");
    lblPitchValue.setCaption(std::to_string(c.style.pitch));
    lblOutputName.setCaption(outputs[std::size_t(vsbOutput.value())].description);
    const std::string missing = m_callouts.outputMissing();
    lblOutputState.setCaption(missing.empty() ? ""
                                              : "Not there: the callouts go to the default output "
                                                "until it is back.");
    chkToneAlone.setEnabled(c.tone != CalloutChoices::Tone::Off);
    if (state == SoundState::NoSound)
        lblState.setCaption(m_callouts.whyNoSound());
    else
        lblState.setCaption(state == SoundState::On ? "Sound is on." : "Muted: nothing is said.");
    cmdTest.setEnabled(state != SoundState::NoSound);
    cmdSayIt.setEnabled(state != SoundState::NoSound);
}

std::vector<SoundDevice> frmCallouts::OutputChoices() const {
    std::vector<SoundDevice> choices{{"", "The default output"}};
    const std::vector<SoundDevice> outputs = m_callouts.outputs();
    choices.insert(choices.end(), outputs.begin(), outputs.end());
    const std::string& chosen = m_callouts.choices().output;
    if (!chosen.empty() && std::none_of(outputs.begin(), outputs.end(),
                                        [&](const SoundDevice& d) { return d.name == chosen; }))
        choices.push_back({chosen, chosen + " (not there)"});
    return choices;
}

void frmCallouts::SayIt(const std::string& text) {
    m_callouts.sayNow(text.empty() ? std::string(SamplePhrase) : text);
}

void frmCallouts::TakeChoices() {
    if (m_showing)
        return;
    CalloutChoices c = m_callouts.choices();
    const std::vector<std::string> voices = m_callouts.voices();
    c.sound = chkSound.value() == 1;
    c.volume = vsbVolume.value();
    if (!voices.empty())
        c.voice = voices[std::size_t(std::clamp(vsbVoice.value(), 0, int(voices.size()) - 1))];
    c.minutes = chkMinutes.value() == 1;
    c.seconds = chkSeconds.value() == 1;
    c.finalCount = chkFinalCount.value() == 1;
    const std::vector<VoiceVariant> variants = m_callouts.variants();
    const int variant = std::clamp(vsbVariant.value(), 0, int(variants.size()));
    c.style.variant = variant == 0 ? "" : variants[std::size_t(variant - 1)].file;
    c.style.speed = vsbSpeed.value();
    c.style.pitch = vsbPitch.value();
    const std::vector<SoundDevice> outputs = OutputChoices();
    c.output = outputs[std::size_t(std::clamp(vsbOutput.value(), 0, int(outputs.size()) - 1))].name;
    c.tone = optToneEachSecond.value() ? CalloutChoices::Tone::EachSecond
             : optToneLaunch.value()   ? CalloutChoices::Tone::LaunchSecond
                                       : CalloutChoices::Tone::Off;
    c.toneAlone = chkToneAlone.value() == 1;
    c.holds = chkHolds.value() == 1;
    c.builtInHolds = chkBuiltInHolds.value() == 1;
    c.events = chkEvents.value() == 1;
    c.window = chkWindow.value() == 1;
    c.commands = chkCommands.value() == 1;
    m_callouts.setChoices(c);
    ShowChoices();
    // A family switched changes which cue comes next after an entry.
    ShowEntries();
}

void frmCallouts::ShowEntries() {
    const std::vector<CalloutEntry>& entries = m_callouts.entries();
    const bool wasShowing = std::exchange(m_showing, true);
    // The blank row after the last entry is always in reach.
    vsbEntries.setRange(0, std::max(0, int(entries.size()) + 1 - Rows));
    lblEntries.setCaption(m_callouts.entriesInPlan()
                              ? "The plan's own callouts, said in place of any other at their "
                                "T-time:"
                              : "Your own callouts, said in place of any other at their T-time:");
    for (int n = 0; n < Rows; ++n) {
        const std::size_t i = entryAt(n);
        const bool here = i < entries.size();
        // Rows past the blank one wait until it is filled.
        txtEntryTime[n].setEnabled(i <= entries.size());
        txtEntryWords[n].setEnabled(i <= entries.size());
        const std::optional<std::int64_t> late = here ? m_callouts.overlap(i) : std::nullopt;
        lblOverlap[n].setCaption(late ? "overlaps" : "");
        lblOverlap[n].setToolTipText(
            late ? "Still speaking " + std::to_string(*late) + " ms after the next cue is due: "
                       "the next cue cuts it short."
                 : "");
        if (n == m_taking || !m_wrong[std::size_t(n)].empty())
            continue;
        txtEntryTime[n].setText(here ? calloutTime(entries[i].toLaunch, true) : "");
        txtEntryWords[n].setText(here ? entries[i].words : "");
    }
    m_showing = wasShowing;
}

void frmCallouts::TakeEntry(int n) {
    if (m_showing)
        return;
    const std::size_t i = entryAt(n);
    const std::string& at = txtEntryTime[n].text();
    const std::string& words = txtEntryWords[n].text();
    const std::string row = "Row " + std::to_string(i + 1) + ": ";
    m_taking = n;
    if (at.empty() && words.empty()) {
        // An emptied row removes its entry; the blank row past the last stays blank.
        Wrong(n, "");
        m_taking = -1;
        m_callouts.removeEntry(i);
    } else if (const std::optional<std::int64_t> t = readCalloutTime(at, true); !t) {
        Wrong(n, row + "\"" + at +
                     "\" is not a T-time such as T-00:09:00, T+00:00:10 or at liftoff.");
    } else if (const auto wrong = m_callouts.setEntry(i, {*t, words})) {
        Wrong(n, row + *wrong + ".");
    } else {
        Wrong(n, "");
    }
    // The row typed into keeps its text as typed; the others follow the entries.
    ShowEntries();
    m_taking = -1;
}

void frmCallouts::Wrong(int n, const std::string& message) {
    m_wrong[std::size_t(n)] = message;
    // A row put right leaves the message of another row still wrong, if any.
    if (message.empty())
        for (const std::string& other : m_wrong)
            if (!other.empty())
                return lblEntryMessage.setCaption(other);
    lblEntryMessage.setCaption(message);
}

} // namespace orvane
