#pragma once

// The Callouts dialog: sound on or off, the volume, the voice, which families of callouts are
// said, the team's own callouts, and a test. Every change is kept at once; the dialog shows
// why there is no sound when there is none.
//
// The team's own callouts are a table, one entry a row, edited in place: each row is checked
// as it is typed and kept only when right, with a message naming the row; the row after the
// last entry is blank for a new one, and a row emptied of its T-time and its words removes
// its entry. A row whose words would still be sounding when the next cue is due is marked.

#include "toolkit/controls.h"
#include "toolkit/form.h"

#include "services/services.h"

#include <array>
#include <cstddef>
#include <string>
#include <vector>

namespace orvane {

class App;
class Callouts;

class frmCallouts : public Form {
  public:
    frmCallouts(App& app, Callouts& callouts);

    static constexpr int Rows = 6;

    // Shows the choices and the sound's state as they stand.
    void ShowChoices();
    // Shows the entries from the scroll bar's row on; a row being typed into, or holding a
    // wrong entry, keeps its text.
    void ShowEntries();

    CheckBox chkSound{this, "chkSound"};
    Label lblState{this, "lblState"};
    Frame fraWhich{this, "fraWhich"};
    CheckBox chkFinalCount{this, "chkFinalCount"};
    CheckBox chkMinutes{this, "chkMinutes"};
    CheckBox chkSeconds{this, "chkSeconds"};
    CheckBox chkHolds{this, "chkHolds"};
    CheckBox chkBuiltInHolds{this, "chkBuiltInHolds"};
    CheckBox chkEvents{this, "chkEvents"};
    CheckBox chkWindow{this, "chkWindow"};
    CheckBox chkCommands{this, "chkCommands"};
    Label lblEntries{this, "lblEntries"};
    Label lblHeadTime{this, "lblHeadTime"};
    Label lblHeadWords{this, "lblHeadWords"};
    std::array<TextBox, Rows> txtEntryTime = makeArray<TextBox, Rows>(this, "txtEntryTime");
    std::array<TextBox, Rows> txtEntryWords = makeArray<TextBox, Rows>(this, "txtEntryWords");
    std::array<Label, Rows> lblOverlap = makeArray<Label, Rows>(this, "lblOverlap");
    ScrollBar vsbEntries{this, "vsbEntries"};
    Label lblEntryMessage{this, "lblEntryMessage"};
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
    // Row N as typed: kept, removed when emptied, or the message saying what is wrong.
    void TakeEntry(int n);
    // Row N's entry is wrong for MESSAGE, or right when it is empty.
    void Wrong(int n, const std::string& message);
    std::size_t entryAt(int row) const { return std::size_t(vsbEntries.value() + row); }
    // The outputs as the voice-and-output column offers them: the default (""), each output
    // of the sound server, and the one chosen while it is not there.
    std::vector<SoundDevice> OutputChoices() const;

    App& m_app;
    Callouts& m_callouts;
    // The controls are set to match the choices while the dialog shows them; that is no choice.
    bool m_showing = false;
    // The row being taken keeps what is typed in it when the entries are shown again.
    int m_taking = -1;
    // What is wrong with each row as typed, empty where the entries hold what it shows.
    std::array<std::string, Rows> m_wrong;
};

} // namespace orvane
