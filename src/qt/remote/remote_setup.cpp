#include "qt/remote/remote_setup.h"

#include "app.h"
#include "qt/qt_view.h"
#include "qt/remote/remote_server.h"

#include <cstdio>

namespace orvane {

RemoteSetup::RemoteSetup(App& app, QtView& view) : m_app(app), m_view(view), m_displays(app, view) {
    app.registerForm("frmRemoteDisplays",
                     [this](App& a) { return std::make_unique<frmRemoteDisplays>(a, m_displays); });
    RemoteServer* server = &m_displays.server();
    view.onControlChanged = [server] { server->stateMayHaveChanged(); };
}

RemoteSetup::~RemoteSetup() {
    m_view.onControlChanged = nullptr;
}

bool RemoteSetup::takeOption(const std::optional<std::string>& serve) {
    if (!serve)
        return true;
    std::string error;
    m_option = parseServeAddress(*serve, error);
    if (!m_option) {
        std::fprintf(stderr, "orvane: --serve %s: %s\n", serve->c_str(), error.c_str());
        return false;
    }
    return true;
}

void RemoteSetup::start() {
    const std::optional<ServeAddress> where =
        m_option ? m_option : savedServeChoice(m_app.services().settings, m_app.info().exeName);
    if (!where)
        return;
    const std::string error = m_displays.serve(*where);
    if (!error.empty())
        std::fprintf(stderr, "orvane: cannot serve on %s: %s\n",
                     pageAddress(where->address, where->port).c_str(), error.c_str());
}

} // namespace orvane
