// The Remote Displays dialog's part for a copy that follows a leader elsewhere: the leader's
// address and the broker's credentials file, kept in the settings under this copy's instance
// name, so that a leader and a follower on one computer keep their own choices. The choice
// takes effect at the next start, where the command line wins over it.

#include "app.h"
#include "remote/frmRemoteDisplays.h"

namespace orvane {

namespace {

constexpr const char* DefaultFollowFrom = "mqtt://localhost/orvane";

std::string section(const std::string& instance) {
    return instance.empty() ? std::string("Follow") : "Follow " + instance;
}

std::string sentence(std::string text) {
    if (!text.empty() && !text.ends_with('.'))
        text += '.';
    return text;
}

} // namespace

std::optional<FollowChoice> savedFollowChoice(Settings& settings, const AppInfo& info,
                                              const std::string& instance) {
    const std::string kept = section(instance);
    if (settings.get(info.exeName, kept, "Follow", "0") != "1")
        return std::nullopt;
    return FollowChoice{settings.get(info.exeName, kept, "FollowFrom", DefaultFollowFrom),
                        settings.get(info.exeName, kept, "Credentials", "")};
}

std::optional<FollowChoice> followChoiceAtStart(Settings& settings, const AppInfo& info,
                                                const std::string& instance) {
    if (info.follow || info.publish)
        return std::nullopt;
    return savedFollowChoice(settings, info, instance);
}

// Nothing is kept that this copy could not follow.
std::string frmRemoteDisplays::instance() const {
    return m_publishing ? m_publishing->instance() : std::string();
}

void frmRemoteDisplays::FollowOrNot() {
    const AppInfo& info = m_app.info();
    Settings& settings = services().settings;
    if (chkFollow.value() == 0) {
        settings.save(info.exeName, section(instance()), "Follow", "0");
        ShowFollowing();
        return;
    }
    const std::string error =
        m_publishing ? m_publishing->checkFollow(txtFollowFrom.text(), txtCredentials.text())
                     : std::string("This copy of the program cannot follow.");
    if (!error.empty()) {
        services().dialogs.messageBox("This copy cannot follow " + txtFollowFrom.text() + ". " +
                                          sentence(error),
                                      Buttons::OK, Icon::Exclamation, info.title);
        m_showing = true;
        chkFollow.setValue(0);
        m_showing = false;
        ShowFollowing();
        return;
    }
    settings.save(info.exeName, section(instance()), "Follow", "1");
    settings.save(info.exeName, section(instance()), "FollowFrom", txtFollowFrom.text());
    settings.save(info.exeName, section(instance()), "Credentials", txtCredentials.text());
    ShowFollowing();
}

// The address and the file are chosen while the box is not ticked; to change them, untick it.
void frmRemoteDisplays::ShowFollowing() {
    const AppInfo& info = m_app.info();
    Settings& settings = services().settings;
    const std::optional<FollowChoice> saved = savedFollowChoice(settings, info, instance());
    if (txtFollowFrom.text().empty() || saved) {
        txtFollowFrom.setText(
            settings.get(info.exeName, section(instance()), "FollowFrom", DefaultFollowFrom));
        txtCredentials.setText(settings.get(info.exeName, section(instance()), "Credentials", ""));
    }
    m_showing = true;
    chkFollow.setValue(saved ? 1 : 0);
    m_showing = false;
    txtFollowFrom.setEnabled(!saved);
    txtCredentials.setEnabled(!saved);
    ShowFollowingState();
}

// How the connection to the leader stands now, and what the next start does.
void frmRemoteDisplays::ShowFollowingState() {
    const AppInfo& info = m_app.info();
    const std::string now = m_publishing ? m_publishing->followingState() : std::string();
    const std::optional<FollowChoice> saved =
        savedFollowChoice(services().settings, info, instance());
    std::string text = sentence(now.empty() ? std::string("Not following") : now);
    if (saved && (!info.follow || *info.follow != saved->address))
        text += " From the next start, this copy follows " + saved->address + ".";
    lblFollowing.setCaption(text);
}

} // namespace orvane
