#include "remote/remote_control.h"

#include "app.h"
#include "callouts/callouts.h"
#include "clock/frmOrvane.h"

#include <utility>

namespace orvane {

namespace {

constexpr const char* Section = "Remote Displays";

// The device's name rides on whatever the command raises, and only for as long as it runs.
class CommandBy {
  public:
    CommandBy(App& app, const std::string& device) : m_app(app) { app.setCommandBy(device); }
    ~CommandBy() { m_app.setCommandBy({}); }
    CommandBy(const CommandBy&) = delete;
    CommandBy& operator=(const CommandBy&) = delete;

  private:
    App& m_app;
};

// Clicks the main window's control NAME when it takes input; false when it is greyed.
bool press(frmOrvane& main, const char* name) {
    Control& control = main.control<Control>(name);
    if (!control.acceptsInput())
        return false;
    control.click();
    return true;
}

// A command with no happening of its own is told as one, with the device's name.
void tell(App& app, RemoteCommand command) {
    Happening h = app.happening(Happening::Kind::RemoteCommand);
    h.command = commandWord(command);
    app.raise(h);
}

std::string greyed(const char* what) {
    return std::string(what) + " is greyed on the program's computer now.";
}

} // namespace

bool controlAllowed(Settings& settings, const std::string& appName) {
    return settings.get(appName, Section, "Control", "0") == "1";
}

void setControlAllowed(Settings& settings, const std::string& appName, bool allowed) {
    settings.save(appName, Section, "Control", allowed ? "1" : "0");
}

std::string whyNoControl(App& app) {
    if (app.frmOrvane().following())
        return "This copy follows a leader: its count is the leader's, and is held and resumed "
               "there.";
    if (!controlAllowed(app.services().settings, app.info().exeName))
        return "Control by paired devices is off on the program's computer.";
    return {};
}

std::string giveRemoteCommand(App& app, RemoteCommand command, const std::string& device) {
    if (std::string why = whyNoControl(app); !why.empty())
        return why;
    frmOrvane& main = app.frmOrvane();
    const LaunchState& state = app.launchState();
    const CommandBy by(app, device);
    switch (command) {
    case RemoteCommand::Hold:
        if (state.held())
            return "The count is held already.";
        if (!state.armed())
            return "Holds are not enabled: give Hold Enable first.";
        return press(main, "cmdHoldResume") ? "" : greyed("Hold");
    case RemoteCommand::Resume:
        if (!state.held())
            return "The count is not held.";
        return press(main, "cmdHoldResume") ? "" : greyed("Resume");
    case RemoteCommand::EndBuiltInHold:
        if (!state.builtInHeld())
            return "No built-in hold stands.";
        return press(main, "cmdHoldResume") ? "" : greyed("Resume");
    case RemoteCommand::HoldEnable:
    case RemoteCommand::HoldDisable: {
        const bool enable = command == RemoteCommand::HoldEnable;
        if (state.armed() == enable)
            return enable ? "Holds are enabled already." : "Holds are disabled already.";
        if (!press(main, "mnuHoldEnable"))
            return main.held() ? "A hold is on: it is left by Resume."
                               : greyed(enable ? "Hold Enable" : "Hold Disable");
        if (state.armed() != enable)
            return "Holds are not armed after launch.";
        tell(app, command);
        return {};
    }
    case RemoteCommand::Mute:
    case RemoteCommand::Unmute: {
        const bool mute = command == RemoteCommand::Mute;
        if (app.callouts().choices().sound != mute)
            return mute ? "The callouts are muted already." : "The callouts are not muted.";
        if (!press(main, "mnuMute"))
            return greyed("Mute Callouts");
        tell(app, command);
        return {};
    }
    }
    return "not a command";
}

} // namespace orvane
