#pragma once

// The remote displays in the program: the Remote Displays dialog, and serving from start-up
// when the command line (--serve [ADDRESS:]PORT) or the choice kept in the settings asks.

#include "happenings.h"
#include "qt/remote/qt_remote_displays.h"
#include "remote/remote_state.h"

#include <optional>
#include <string>
#include <vector>

namespace orvane {

class App;
class QtView;

class RemoteSetup {
  public:
    RemoteSetup(App& app, QtView& view);
    ~RemoteSetup();
    RemoteSetup(const RemoteSetup&) = delete;
    RemoteSetup& operator=(const RemoteSetup&) = delete;

    // Takes --serve VALUE or --serve=VALUE out of the arguments. False, with the reason on
    // standard error, when the value is missing or is not [ADDRESS:]PORT.
    bool takeOption(const std::optional<std::string>& serve);
    // Serves as the option says, else as the settings keep it; a failure is told on standard
    // error and the program goes on without serving.
    void start();

    QtRemoteDisplays& displays() { return m_displays; }
    // What the dialog's publishing part works through; none: it cannot publish.
    void setPublishing(MqttPublishing* publishing) { m_publishing = publishing; }

  private:
    App& m_app;
    QtView& m_view;
    QtRemoteDisplays m_displays;
    std::optional<ServeAddress> m_option;
    MqttPublishing* m_publishing = nullptr;
    // The server learns from the App's happenings and rounds when the state may have changed.
    Subscription m_happenings;
    Subscription m_rounds;
};

} // namespace orvane
