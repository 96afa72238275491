#include "qt/remote/remote_setup.h"

#include "app.h"
#include "qt/qt_view.h"
#include "qt/remote/remote_server.h"

#include <cstdio>

namespace orvane {

RemoteSetup::RemoteSetup(App& app, QtView& view) : m_app(app), m_view(view), m_displays(app, view) {
    app.registerForm<frmRemoteDisplays>(
        "frmRemoteDisplays",
        [this](App& a) { return std::make_unique<frmRemoteDisplays>(a, m_displays, m_publishing); });
    app.provide<frmRemoteDisplays>(App::Dialog::RemoteDisplays);
    // The pages hear of what happens at once, and of everything else (the counts, the launch
    // window running down) after the round that shows it.
    RemoteServer* server = &m_displays.server();
    m_happenings = app.happenings().subscribe([server](const Happening&) {
        server->stateMayHaveChanged();
    });
    m_rounds = app.happenings().subscribeRounds([server] { server->stateMayHaveChanged(); });
}

RemoteSetup::~RemoteSetup() = default;

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
    // Asked for TLS, on the command line or in the dialog, the count is served over it or not
    // at all.
    const AppInfo& info = m_app.info();
    // The command line wins: --serve alone is plain HTTP, whatever the dialog keeps.
    const bool told = m_option || !info.serveTlsCertificate.empty();
    const auto [certificate, key] =
        told ? std::pair{info.serveTlsCertificate, info.serveTlsKey}
             : savedTlsFiles(m_app.services().settings, info.exeName);
    if (!certificate.empty() || !key.empty()) {
        const QString why = m_displays.server().setTls(QString::fromStdString(certificate),
                                                       QString::fromStdString(key));
        if (!why.isEmpty()) {
            std::fprintf(stderr, "orvane: --serve-tls: %s; the count is not served.\n",
                         why.toStdString().c_str());
            return;
        }
    }
    const std::string error = m_displays.serve(*where);
    if (!error.empty())
        std::fprintf(stderr, "orvane: cannot serve on %s: %s\n",
                     pageAddress(where->address, where->port).c_str(), error.c_str());
}

} // namespace orvane
