// The callouts' voice, output and tone: what the Callouts dialog's right-hand column chooses,
// how it is kept in the settings, and how the sound's state is shown.

#include "callouts/callouts.h"

#include "app.h"
#include "callouts/frmCallouts.h"
#include "clock/frmOrvane.h"

#include <algorithm>

namespace orvane {

bool Callouts::toneAt(std::int64_t s, const CalloutChoices& c) {
    using Tone = CalloutChoices::Tone;
    return (c.tone == Tone::EachSecond && s >= 0 && s <= 10) ||
           (c.tone == Tone::LaunchSecond && s == 0);
}

std::vector<std::string> Callouts::cuesAt(std::int64_t s, const CalloutChoices& c) {
    std::vector<std::string> cues;
    const bool tone = toneAt(s, c);
    if (tone)
        cues.emplace_back();
    if (auto cue = countCue(s, c); cue && !(tone && c.toneAlone))
        cues.push_back(*cue);
    return cues;
}

std::vector<VoiceVariant> Callouts::variants() const {
    return m_output ? m_output->variants() : std::vector<VoiceVariant>{};
}

std::vector<SoundDevice> Callouts::outputs() const {
    return m_output ? m_output->outputs() : std::vector<SoundDevice>{};
}

std::string Callouts::outputMissing() const {
    return m_output ? m_output->outputMissing() : std::string();
}

void Callouts::test() {
    sayNow(TestPhrase);
}

void Callouts::sayNow(const std::string& text) {
    if (m_output && m_output->unavailable().empty() && !text.empty())
        m_output->sound({text, m_app.ownClock().computer().unixMs()});
}

void Callouts::showState() {
    const SoundState s = state();
    std::string note;
    if (s == SoundState::NoSound)
        note = whyNoSound();
    else if (s == SoundState::Muted)
        note = std::string("Callouts are muted: ") + MuteShortcut + " turns them on again.";
    else
        note = std::string("Callouts are spoken: ") + MuteShortcut + " mutes them.";
    // The output chosen is gone: the callouts are heard on the default output, and the
    // status bar says so until it is back.
    std::string text = stateText(s);
    if (const std::string missing = outputMissing(); s != SoundState::NoSound && !missing.empty()) {
        text = DefaultOutputText;
        note = "The output chosen for the callouts (" + missing +
               ") is not there: they go to the default output until it is back. " + note;
    }
    note += missedNote();
    if (frmOrvane* frm = m_app.loaded<frmOrvane>())
        frm->showSound(text, note, !m_choices.sound);
    if (frmCallouts* dialog = m_app.loaded<frmCallouts>())
        dialog->ShowChoices();
}

void Callouts::loadVoice(CalloutChoices& c) {
    Settings& s = m_app.services().settings;
    const std::string& app = m_app.info().exeName;
    c.style.variant = s.get(app, Section, "Voice Variant", "");
    c.style.speed = std::clamp(std::atoi(s.get(app, Section, "Voice Speed", "175").c_str()),
                               VoiceStyle::MinSpeed, VoiceStyle::MaxSpeed);
    c.style.pitch = std::clamp(std::atoi(s.get(app, Section, "Voice Pitch", "50").c_str()), 0,
                               VoiceStyle::MaxPitch);
    c.output = s.get(app, Section, "Output", "");
    // Before the tone could be chosen, "Tones" put a tone instead of each number of the count.
    const std::string tone =
        s.get(app, Section, "Tone",
              s.get(app, Section, "Tones", "0") != "0" ? "each second alone" : "off");
    c.tone = tone.starts_with("each second") ? CalloutChoices::Tone::EachSecond
             : tone.starts_with("T-0")       ? CalloutChoices::Tone::LaunchSecond
                                             : CalloutChoices::Tone::Off;
    c.toneAlone = tone.ends_with(" alone");
}

void Callouts::saveVoice() const {
    Settings& s = m_app.services().settings;
    const std::string& app = m_app.info().exeName;
    const CalloutChoices& c = m_choices;
    s.save(app, Section, "Voice Variant", c.style.variant);
    s.save(app, Section, "Voice Speed", std::to_string(c.style.speed));
    s.save(app, Section, "Voice Pitch", std::to_string(c.style.pitch));
    s.save(app, Section, "Output", c.output);
    const char* tone = c.tone == CalloutChoices::Tone::EachSecond     ? "each second"
                       : c.tone == CalloutChoices::Tone::LaunchSecond ? "T-0"
                                                                      : "off";
    s.save(app, Section, "Tone",
           std::string(tone) +
               (c.toneAlone && c.tone != CalloutChoices::Tone::Off ? " alone" : ""));
}

} // namespace orvane
