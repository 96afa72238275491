// The main window's fields of the launch data file: the launch state and the entry boxes, in
// one table, in the order the file assigns them.

#include "app.h"
#include "clock/frmOrvane.h"

#include <string>

namespace orvane {

namespace {

// An entry box and its scroll bar, by name, with the fields that keep them: the text as typed
// and the bar's value.
struct EntryField {
    const char* bar;
    int LaunchData::*value;
    const char* box;
    std::string LaunchData::*text;
};

constexpr EntryField EntryFields[] = {
    {"vsbSeconds", &LaunchData::vsbSeconds, "txtSeconds", &LaunchData::txtSeconds},
    {"vsbMinutes", &LaunchData::vsbMinutes, "txtMinutes", &LaunchData::txtMinutes},
    {"vsbHours", &LaunchData::vsbHours, "txtHours", &LaunchData::txtHours},
    {"vsbSecondsW", &LaunchData::vsbSecondsW, "txtSecondsW", &LaunchData::txtSecondsW},
    {"vsbMinutesW", &LaunchData::vsbMinutesW, "txtMinutesW", &LaunchData::txtMinutesW},
    {"vsbHoursW", &LaunchData::vsbHoursW, "txtHoursW", &LaunchData::txtHoursW},
};

} // namespace

void frmOrvane::writeLaunchData(LaunchData& d) const {
    d.lblTarget = m_captions.launchText;
    d.txtLaunchDate = txtLaunchDate.text();
    d.chkLaunchWindowActive = m_state.window().active ? 1 : 0;
    // The file records whether holding is armed as the hold button's enabled state.
    d.holdEnabled = m_state.armedByUser();
    d.lblLaunchWindow = m_captions.windowText;
    for (const EntryField& f : EntryFields) {
        d.*f.value = control<ScrollBar>(f.bar).value();
        d.*f.text = control<TextBox>(f.box).text();
    }
}

// Every field goes to its place as the user's or the program's own change would, each through
// the control's own handling: the launch time and the window are taken as written.
void frmOrvane::readLaunchData(const LaunchData& d) {
    lblTarget.setCaption(d.lblTarget);
    txtLaunchDate.setText(d.txtLaunchDate);
    chkLaunchWindowActive.setValue(d.chkLaunchWindowActive);
    SetHoldArmed(d.holdEnabled);
    lblLaunchWindow.setCaption(d.lblLaunchWindow);
    // Each scroll bar is assigned before its box: the scroll bar's change writes its value
    // into the box, and the box then takes the file's text, so both read back as saved.
    for (const EntryField& f : EntryFields) {
        control<ScrollBar>(f.bar).setValue(d.*f.value);
        control<TextBox>(f.box).setText(d.*f.text);
    }
}

void frmOrvane::showLaunchFile(const std::string& path) {
    if (!m_following)
        sbrStatusBar.panel("pnlCurrentFile")->setText(path);
}

} // namespace orvane
