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

bool RemoteSetup::takeOptions(std::vector<std::string>& arguments) {
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        std::string value;
        std::size_t taken = 1;
        if (arguments[i] == "--serve") {
            if (i + 1 >= arguments.size()) {
                std::fprintf(stderr, "orvane: --serve needs [ADDRESS:]PORT\n");
                return false;
            }
            value = arguments[i + 1];
            taken = 2;
        } else if (arguments[i].starts_with("--serve=")) {
            value = arguments[i].substr(8);
        } else {
            continue;
        }
        std::string error;
        m_option = parseServeAddress(value, error);
        if (!m_option) {
            std::fprintf(stderr, "orvane: --serve %s: %s\n", value.c_str(), error.c_str());
            return false;
        }
        arguments.erase(arguments.begin() + std::ptrdiff_t(i),
                        arguments.begin() + std::ptrdiff_t(i + taken));
        --i;
    }
    return true;
}

void RemoteSetup::start() {
    const std::optional<ServeAddress> where =
        m_option ? m_option : savedServeChoice(m_app.services().settings, m_app.info().title);
    if (!where)
        return;
    const std::string error = m_displays.serve(*where);
    if (!error.empty())
        std::fprintf(stderr, "orvane: cannot serve on %s: %s\n",
                     pageAddress(where->address, where->port).c_str(), error.c_str());
}

} // namespace orvane
