#include "callouts/frmCallouts.h"

#include "app.h"
#include "callouts/callouts.h"

#include <algorithm>

namespace orvane {

frmCallouts::frmCallouts(App& app, Callouts& callouts)
    : Form(app.services(), "frmCallouts"), m_app(app), m_callouts(callouts) {
    setCaption("Callouts");
    setCentered(true);
    move(0, 0, 6000, 6360);

    chkSound.setCaption("&Speak the callouts");
    chkSound.move(240, 180, 5400, 330);
    lblState.setWordWrap(true);
    lblState.move(240, 540, 5400, 480);
    lblVolume.setCaption("Volume:");
    lblVolume.move(240, 1140, 900, 300);
    lblVolumeValue.move(1140, 1140, 900, 300);
    vsbVolume.setRange(0, 100);
    vsbVolume.setLargeChange(10);
    vsbVolume.move(2040, 1080, 255, 420);
    lblVoice.setCaption("Voice:");
    lblVoice.move(240, 1680, 900, 300);
    lblVoiceName.move(1140, 1680, 3600, 300);
    vsbVoice.move(4800, 1620, 255, 420);

    fraWhich.setCaption("Which callouts");
    fraWhich.move(240, 2220, 5400, 2340);
    const struct {
        CheckBox& box;
        const char* caption;
    } which[] = {
        {chkMinutes, "T minus ten, five, one &minute, thirty seconds"},
        {chkFinalCount, "The &final count, ten to liftoff"},
        {chkTones, "&Tones for the last ten seconds, not numbers"},
        {chkHolds, "&Hold and resuming count"},
        {chkEvents, "&Events, by name, at their moments"},
        {chkWindow, "Launch &window expires in one minute"},
    };
    int top = 300;
    for (const auto& w : which) {
        w.box.setCaption(w.caption);
        w.box.setContainer(&fraWhich);
        w.box.move(120, top, 5100, 300);
        w.box.onClick = [this] { TakeChoices(); };
        top += 330;
    }
    lblMute.setCaption(std::string(Callouts::MuteShortcut) +
                       ", or Mute Callouts on the Settings menu, in the main window's full screen "
                       "mutes and unmutes the callouts.");
    lblMute.setWordWrap(true);
    lblMute.move(240, 4680, 5400, 480);
    cmdTest.setCaption("&Test");
    cmdTest.move(1560, 5400, 1140, 375);
    cmdClose.setCaption("&Close");
    cmdClose.setCancel(true);
    cmdClose.setDefault(true);
    cmdClose.move(3060, 5400, 1140, 375);

    onLoad = [this] { ShowChoices(); };
    chkSound.onClick = [this] { TakeChoices(); };
    vsbVolume.onChange = [this] { TakeChoices(); };
    vsbVoice.onChange = [this] { TakeChoices(); };
    cmdTest.onClick = [this] { m_callouts.test(); };
    cmdClose.onClick = [this] { m_app.unload(*this); };
}

void frmCallouts::ShowChoices() {
    const CalloutChoices& c = m_callouts.choices();
    const SoundState state = m_callouts.state();
    const std::vector<std::string> voices = m_callouts.voices();
    m_showing = true;
    chkSound.setValue(c.sound ? 1 : 0);
    vsbVolume.setValue(c.volume);
    vsbVoice.setRange(0, std::max(0, int(voices.size()) - 1));
    const auto voice = std::find(voices.begin(), voices.end(), c.voice);
    vsbVoice.setValue(voice == voices.end() ? 0 : int(voice - voices.begin()));
    chkMinutes.setValue(c.minutes);
    chkFinalCount.setValue(c.finalCount);
    chkTones.setValue(c.tones);
    chkHolds.setValue(c.holds);
    chkEvents.setValue(c.events);
    chkWindow.setValue(c.window);
    m_showing = false;

    lblVolumeValue.setCaption(std::to_string(c.volume) + " %");
    lblVoiceName.setCaption(voices.empty() ? "(no voice installed)"
                                           : voices[std::size_t(vsbVoice.value())]);
    chkTones.setEnabled(c.finalCount);
    if (state == SoundState::NoSound)
        lblState.setCaption(m_callouts.whyNoSound());
    else
        lblState.setCaption(state == SoundState::On ? "Sound is on." : "Muted: nothing is said.");
    cmdTest.setEnabled(state != SoundState::NoSound);
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
    c.finalCount = chkFinalCount.value() == 1;
    c.tones = chkTones.value() == 1;
    c.holds = chkHolds.value() == 1;
    c.events = chkEvents.value() == 1;
    c.window = chkWindow.value() == 1;
    m_callouts.setChoices(c);
    ShowChoices();
}

} // namespace orvane
