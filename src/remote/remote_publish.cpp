// The Remote Displays dialog's part for followers in other rooms: publishing the count to an
// MQTT broker, kept in the settings for the next start.

#include "app.h"
#include "remote/frmRemoteDisplays.h"

namespace orvane {

namespace {
constexpr const char* Section = "Remote Displays";
constexpr const char* DefaultPublishTo = "mqtt://localhost/orvane";
} // namespace

std::optional<std::string> savedPublishChoice(Settings& settings, const std::string& appName) {
    if (settings.get(appName, Section, "Publish", "0") != "1")
        return std::nullopt;
    return settings.get(appName, Section, "PublishTo", DefaultPublishTo);
}

void frmRemoteDisplays::PublishOrStop() {
    const std::string app = m_app.info().exeName;
    Settings& settings = services().settings;
    if (chkPublish.value() == 0) {
        if (m_publishing)
            m_publishing->stopPublishing();
        settings.save(app, Section, "Publish", "0");
        ShowPublishing();
        return;
    }
    const std::string error = m_publishing
                                  ? m_publishing->publish(txtPublishTo.text())
                                  : std::string("This copy of the program cannot publish.");
    if (!error.empty()) {
        services().dialogs.messageBox("The count cannot be published to " + txtPublishTo.text() +
                                          ". " + error,
                                      Buttons::OK, Icon::Exclamation, m_app.info().title);
        m_showing = true;
        chkPublish.setValue(0);
        m_showing = false;
        ShowPublishing();
        return;
    }
    settings.save(app, Section, "Publish", "1");
    settings.save(app, Section, "PublishTo", txtPublishTo.text());
    ShowPublishing();
}

// The address is chosen while not publishing; to move, stop first.
void frmRemoteDisplays::ShowPublishing() {
    const std::string to = m_publishing ? m_publishing->publishingTo() : std::string();
    if (!to.empty())
        txtPublishTo.setText(to);
    else if (txtPublishTo.text().empty())
        txtPublishTo.setText(
            services().settings.get(m_app.info().exeName, Section, "PublishTo", DefaultPublishTo));
    m_showing = true;
    chkPublish.setValue(to.empty() ? 0 : 1);
    m_showing = false;
    txtPublishTo.setEnabled(to.empty());
    ShowPublishingState();
}

// Whether the broker is reached, as it changes.
void frmRemoteDisplays::ShowPublishingState() {
    const std::string to = m_publishing ? m_publishing->publishingTo() : std::string();
    if (to.empty()) {
        lblPublishing.setCaption(
            "Not publishing. Followers start with --follow and the address given here.");
        return;
    }
    std::string state = m_publishing->publishingState();
    if (state.ends_with('.'))
        state.pop_back();
    lblPublishing.setCaption("Publishing to " + to + (state.empty() ? "" : ": " + state) + ".");
}

} // namespace orvane
