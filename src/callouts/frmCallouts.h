#pragma once

// The Callouts dialog: sound on or off, the volume, the voice, which callouts are said, and a
// test. Every change is kept at once; the dialog shows why there is no sound when there is
// none.

#include "toolkit/controls.h"
#include "toolkit/form.h"

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
    Label lblVolume{this, "lblVolume"};
    ScrollBar vsbVolume{this, "vsbVolume"};
    Label lblVolumeValue{this, "lblVolumeValue"};
    Label lblVoice{this, "lblVoice"};
    Label lblVoiceName{this, "lblVoiceName"};
    ScrollBar vsbVoice{this, "vsbVoice"};
    Frame fraWhich{this, "fraWhich"};
    CheckBox chkMinutes{this, "chkMinutes"};
    CheckBox chkFinalCount{this, "chkFinalCount"};
    CheckBox chkTones{this, "chkTones"};
    CheckBox chkHolds{this, "chkHolds"};
    CheckBox chkEvents{this, "chkEvents"};
    CheckBox chkWindow{this, "chkWindow"};
    Label lblMute{this, "lblMute"};
    CommandButton cmdTest{this, "cmdTest"};
    CommandButton cmdClose{this, "cmdClose"};

  private:
    void TakeChoices();

    App& m_app;
    Callouts& m_callouts;
    // The controls are set to match the choices while the dialog shows them; that is no choice.
    bool m_showing = false;
};

} // namespace orvane
