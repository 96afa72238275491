#pragma once

// The Callouts dialog: sound on or off, the volume, the voice, which callouts are said, and a
// test. Every change is kept at once; the dialog shows why there is no sound when there is
// none.

#include "toolkit/controls.h"
#include "toolkit/form.h"

#include "services/services.h"

#include <string>
#include <vector>

namespace orvane {

class App;
class Callouts;

class frmCallouts : public Form {
  public:
    frmCallouts(App& app, Callouts& callouts);

    // Shows the choices and the sound's state as they stand.
    void ShowChoices();

    CheckBox chkSound{this, "chkSound"};
    Label lblState{this, "lblState"};
    Frame fraWhich{this, "fraWhich"};
    CheckBox chkMinutes{this, "chkMinutes"};
    CheckBox chkFinalCount{this, "chkFinalCount"};
    CheckBox chkHolds{this, "chkHolds"};
    CheckBox chkEvents{this, "chkEvents"};
    CheckBox chkWindow{this, "chkWindow"};
    Label lblMute{this, "lblMute"};
    CommandButton cmdTest{this, "cmdTest"};
    CommandButton cmdClose{this, "cmdClose"};
    // The right-hand column: how the callouts sound and where they go.
    Frame fraVoice{this, "fraVoice"};
    Label lblVoice{this, "lblVoice"};
    Label lblVoiceName{this, "lblVoiceName"};
    ScrollBar vsbVoice{this, "vsbVoice"};
    Label lblVariant{this, "lblVariant"};
    Label lblVariantName{this, "lblVariantName"};
    ScrollBar vsbVariant{this, "vsbVariant"};
    Label lblSpeed{this, "lblSpeed"};
    Label lblSpeedValue{this, "lblSpeedValue"};
    ScrollBar vsbSpeed{this, "vsbSpeed"};
    Label lblPitch{this, "lblPitch"};
    Label lblPitchValue{this, "lblPitchValue"};
    ScrollBar vsbPitch{this, "vsbPitch"};
    CommandButton cmdSayIt{this, "cmdSayIt"};
    Label lblOutput{this, "lblOutput"};
    Label lblOutputName{this, "lblOutputName"};
    ScrollBar vsbOutput{this, "vsbOutput"};
    Label lblOutputState{this, "lblOutputState"};
    Label lblVolume{this, "lblVolume"};
    Label lblVolumeValue{this, "lblVolumeValue"};
    ScrollBar vsbVolume{this, "vsbVolume"};
    Label lblTone{this, "lblTone"};
    OptionButton optToneOff{this, "optToneOff"};
    OptionButton optToneEachSecond{this, "optToneEachSecond"};
    OptionButton optToneLaunch{this, "optToneLaunch"};
    CheckBox chkToneAlone{this, "chkToneAlone"};

    // What "Say it" says when no entry is chosen.
    static constexpr const char* SamplePhrase = "T minus ten, nine, eight, seven";
    // Says TEXT (empty: the sample) with the voice as chosen, at once.
    void SayIt(const std::string& text = {});

  private:
    void TakeChoices();
    // The outputs as the voice-and-output column offers them: the default (""), each output
    // of the sound server, and the one chosen while it is not there.
    std::vector<SoundDevice> OutputChoices() const;

    App& m_app;
    Callouts& m_callouts;
    // The controls are set to match the choices while the dialog shows them; that is no choice.
    bool m_showing = false;
};

} // namespace orvane
