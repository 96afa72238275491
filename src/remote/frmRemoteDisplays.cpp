#include "remote/frmRemoteDisplays.h"

#include "app.h"

namespace orvane {

namespace {
constexpr const char* Section = "Remote Displays";
constexpr const char* DefaultPort = "8080";
} // namespace

std::optional<ServeAddress> savedServeChoice(Settings& settings, const std::string& appName) {
    if (settings.get(appName, Section, "Serve", "0") != "1")
        return std::nullopt;
    std::string error;
    const std::string address = settings.get(appName, Section, "Address", "127.0.0.1");
    return parseServeAddress(
        (address.find(':') != std::string::npos ? "[" + address + "]" : address) + ":" +
            settings.get(appName, Section, "Port", DefaultPort),
        error);
}

std::pair<std::string, std::string> savedTlsFiles(Settings& settings, const std::string& appName) {
    return {settings.get(appName, Section, "TLS Certificate", ""),
            settings.get(appName, Section, "TLS Key", "")};
}

frmRemoteDisplays::frmRemoteDisplays(App& app, RemoteDisplays& remote, MqttPublishing* publishing)
    : Form(app.services(), "frmRemoteDisplays"), m_app(app), m_remote(remote),
      m_publishing(publishing) {
    setCaption("Remote Displays");
    setCentered(true);
    move(0, 0, 11160, 9570);

    chkServe.setCaption("&Serve the count to browsers");
    chkServe.move(240, 180, 5100, 330);
    lblAddress.setCaption("Address:");
    lblAddress.move(240, 660, 900, 300);
    txtAddress.move(1140, 600, 2400, 360);
    lblPort.setCaption("Port:");
    lblPort.move(3720, 660, 600, 300);
    txtPort.move(4320, 600, 1020, 360);
    lblNote.setCaption("127.0.0.1 serves this computer only; 0.0.0.0 serves every screen on "
                       "the networks it is on.");
    lblNote.setWordWrap(true);
    lblNote.move(240, 1080, 5100, 480);
    lblPageAddress.setAlignment(Align::Center);
    lblPageAddress.move(240, 1680, 5100, 300);
    picCode.move(1530, 2100, 2520, 2520);
    picCode.setBackColor(0xFFFFFF);
    lblWatchers.setAlignment(Align::Center);
    lblWatchers.move(240, 4800, 5100, 300);
    chkPublish.setCaption("&Publish the count to an MQTT broker, for followers");
    chkPublish.move(240, 5280, 5100, 330);
    lblPublishTo.setCaption("Address:");
    lblPublishTo.move(240, 5760, 900, 300);
    txtPublishTo.move(1140, 5700, 4200, 360);
    lblPublishing.setWordWrap(true);
    lblPublishing.move(240, 6180, 5100, 480);
    cmdClose.setCaption("&Close");
    cmdClose.setCancel(true);
    cmdClose.setDefault(true);
    chkFollow.setCaption("&Follow a leader through an MQTT broker");
    chkFollow.move(240, 6780, 5100, 330);
    lblFollowFrom.setCaption("Address:");
    lblFollowFrom.move(240, 7260, 1200, 300);
    txtFollowFrom.move(1440, 7200, 3900, 360);
    lblCredentials.setCaption("Credentials:");
    lblCredentials.move(240, 7740, 1200, 300);
    txtCredentials.move(1440, 7680, 3900, 360);
    lblFollowing.setWordWrap(true);
    lblFollowing.move(240, 8160, 5100, 480);
    cmdClose.move(5010, 8760, 1140, 375);

    onLoad = [this] {
        const std::string app = m_app.info().exeName;
        Settings& settings = services().settings;
        if (m_remote.serving()) {
            const ServeAddress where = m_remote.servingAt();
            txtAddress.setText(where.address);
            txtPort.setText(std::to_string(where.port));
        } else {
            txtAddress.setText(settings.get(app, Section, "Address", "127.0.0.1"));
            txtPort.setText(settings.get(app, Section, "Port", DefaultPort));
        }
        const auto [certificate, key] = savedTlsFiles(settings, app);
        txtTlsCert.setText(certificate);
        txtTlsKey.setText(key);
        m_showing = true;
        chkServe.setValue(m_remote.serving() ? 1 : 0);
        m_showing = false;
        ShowServing();
        ShowPublishing();
        ShowFollowing();
        ShowControl();
    };
    chkServe.onClick = [this] {
        if (!m_showing)
            ServeOrStop();
    };
    chkPublish.onClick = [this] {
        if (!m_showing)
            PublishOrStop();
    };
    chkFollow.onClick = [this] {
        if (!m_showing)
            FollowOrNot();
    };
    layOutControl();
    tmrWatchers.onTimer = [this] {
        ShowWatchers();
        ShowControl();
        ShowPublishingState();
        ShowFollowingState();
    };
    cmdClose.onClick = [this] { m_app.unload(*this); };
}

void frmRemoteDisplays::ServeOrStop() {
    const std::string app = m_app.info().exeName;
    Settings& settings = services().settings;
    if (chkServe.value() == 0) {
        m_remote.stop();
        settings.save(app, Section, "Serve", "0");
        ShowServing();
        return;
    }
    std::string error;
    const bool v6 = txtAddress.text().find(':') != std::string::npos;
    std::optional<ServeAddress> where = parseServeAddress(
        (v6 ? "[" + txtAddress.text() + "]" : txtAddress.text()) + ":" + txtPort.text(), error);
    if (where)
        error = m_remote.setTls(txtTlsCert.text(), txtTlsKey.text());
    if (where && error.empty())
        error = m_remote.serve(*where);
    if (!error.empty()) {
        services().dialogs.messageBox("The count cannot be served on " + txtAddress.text() +
                                          ", port " + txtPort.text() + ". " + error,
                                      Buttons::OK, Icon::Exclamation, m_app.info().title);
        m_showing = true;
        chkServe.setValue(0);
        m_showing = false;
        ShowServing();
        return;
    }
    settings.save(app, Section, "Serve", "1");
    settings.save(app, Section, "Address", where->address);
    settings.save(app, Section, "Port", std::to_string(where->port));
    settings.save(app, Section, "TLS Certificate", txtTlsCert.text());
    settings.save(app, Section, "TLS Key", txtTlsKey.text());
    ShowServing();
}

namespace {

// A loopback address reaches this computer alone: no phone can open a code for it.
bool thisComputerOnly(const std::string& page) {
    return page.starts_with("http://127.") || page.starts_with("http://[::1]") ||
           page.starts_with("http://localhost");
}

} // namespace

// The address and port are chosen while not serving; to move, stop first.
void frmRemoteDisplays::ShowServing() {
    const bool serving = m_remote.serving();
    txtAddress.setEnabled(!serving);
    txtPort.setEnabled(!serving);
    txtTlsCert.setEnabled(!serving);
    txtTlsKey.setEnabled(!serving);
    const std::string page = serving ? m_remote.pageAddress() : std::string();
    const bool local = thisComputerOnly(page);
    lblPageAddress.setCaption(!serving ? "Not serving."
                              : local  ? page + " (this computer only)"
                                       : page);
    if (!serving)
        m_pairLink.clear();
    m_remote.showCode(picCode, !m_pairLink.empty() ? m_pairLink : local ? std::string() : page);
    ShowWatchers();
    ShowControl();
}

void frmRemoteDisplays::ShowWatchers() {
    const int n = m_remote.serving() ? m_remote.watchers() : 0;
    lblWatchers.setCaption(n == 1 ? "1 screen watching" : std::to_string(n) + " screens watching");
}

} // namespace orvane
