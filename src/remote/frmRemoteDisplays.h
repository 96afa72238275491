#pragma once

// The Remote Displays dialog: whether the count is served to browsers, on which address and
// port, the page's address as text and as a code a phone's camera reads, and how many screens
// are watching. The serving itself belongs to the Qt binding, behind RemoteDisplays.

#include "remote/pairing.h"
#include "remote/remote_state.h"
#include "toolkit/controls.h"
#include "toolkit/form.h"

#include <array>
#include <optional>
#include <string>
#include <utility>

namespace orvane {

class App;
class Settings;
struct AppInfo;

// The server as the program's windows see it.
class RemoteDisplays {
  public:
    virtual ~RemoteDisplays() = default;
    // Serves on the address and port, moving there if serving elsewhere. Empty on success,
    // else the reason in the user's words.
    virtual std::string serve(const ServeAddress& where) = 0;
    virtual void stop() = 0;
    virtual bool serving() const = 0;
    // Where it serves now, with the real port.
    virtual ServeAddress servingAt() const = 0;
    // The page's address for other screens (an address they can reach, the real port).
    virtual std::string pageAddress() const = 0;
    // Screens connected now.
    virtual int watchers() const = 0;
    // Draws the text as a code in the picture box; an empty text clears it.
    virtual void showCode(PictureBox& picture, const std::string& text) = 0;
    // The paired devices; none where no device can control this copy.
    virtual Pairing* pairing() { return nullptr; }
    // Offers a new pairing code of six random digits, and gives the address a device opens to
    // pair with it; empty where none can be offered.
    virtual std::string offerPairingCode() { return {}; }
    // Whether the server answers names given with --serve-name (a reverse proxy before it).
    virtual bool servesNames() const { return false; }
    // The choice to let paired devices control the count changed: connected devices hear it.
    virtual void controlChanged() {}
    // Serves over TLS from the next serve() with the PEM certificate and key in these files
    // (both empty: plain HTTP). Empty on success, else why not in the user's words.
    virtual std::string setTls(const std::string& certificate, const std::string& key) {
        return certificate.empty() && key.empty() ? "" : "This copy cannot serve over TLS.";
    }
};

// Publishing to an MQTT broker for followers elsewhere, as the windows see it.
class MqttPublishing {
  public:
    virtual ~MqttPublishing() = default;
    // Publishes to ADDRESS, mqtt[s]://HOST[:PORT]/TOPIC, moving there if publishing elsewhere.
    // Empty on success, else the reason in the user's words.
    virtual std::string publish(const std::string& address) = 0;
    virtual void stopPublishing() = 0;
    // Where it publishes now, as given; empty while it does not.
    virtual std::string publishingTo() const = 0;
    // How the connection to the broker stands while publishing ("connected to the broker", or
    // why not), for the dialog to show.
    virtual std::string publishingState() const { return {}; }
    // Whether this copy could follow ADDRESS with the credentials file CREDENTIALS (none when
    // empty): empty if so, else the reason in the user's words.
    virtual std::string checkFollow(const std::string& address, const std::string& credentials) {
        (void)address;
        (void)credentials;
        return "This copy of the program cannot follow.";
    }
    // Whether this copy follows a leader now, and how that stands ("Following HOST/TOPIC", or
    // why the leader is not heard); empty while it does not follow.
    virtual std::string followingState() const { return {}; }
    // The name this copy runs under beside others on one computer; empty for the usual one.
    // Its choice to follow is its own, so that a leader and a follower on one computer keep theirs.
    virtual std::string instance() const { return {}; }
};

// The choice kept in the settings for the next start, under INSTANCE, this copy's name: to
// follow the leader at ADDRESS, with the credentials file CREDENTIALS (none when empty).
struct FollowChoice {
    std::string address;
    std::string credentials;
};
std::optional<FollowChoice> savedFollowChoice(Settings& settings, const AppInfo& info,
                                              const std::string& instance);
// What this copy follows at start: the kept choice, unless the command line says to follow or
// publish (the command line wins).
std::optional<FollowChoice> followChoiceAtStart(Settings& settings, const AppInfo& info,
                                                const std::string& instance);

// The choice kept in the settings: where to publish, if the user chose to.
std::optional<std::string> savedPublishChoice(Settings& settings, const std::string& appName);

// The choice kept in the settings: where to serve, if the user chose to.
std::optional<ServeAddress> savedServeChoice(Settings& settings, const std::string& appName);
// The TLS certificate and key files kept in the settings; both empty for plain HTTP.
std::pair<std::string, std::string> savedTlsFiles(Settings& settings, const std::string& appName);

class frmRemoteDisplays : public Form {
  public:
    // Without PUBLISHING the count cannot be published from here (the user is told so).
    frmRemoteDisplays(App& app, RemoteDisplays& remote, MqttPublishing* publishing = nullptr);

    CheckBox chkServe{this, "chkServe"};
    Label lblAddress{this, "lblAddress"};
    TextBox txtAddress{this, "txtAddress"};
    Label lblPort{this, "lblPort"};
    TextBox txtPort{this, "txtPort"};
    Label lblNote{this, "lblNote"};
    Label lblPageAddress{this, "lblPageAddress"};
    PictureBox picCode{this, "picCode"};
    Label lblWatchers{this, "lblWatchers"};
    CheckBox chkPublish{this, "chkPublish"};
    Label lblPublishTo{this, "lblPublishTo"};
    TextBox txtPublishTo{this, "txtPublishTo"};
    Label lblPublishing{this, "lblPublishing"};
    CheckBox chkFollow{this, "chkFollow"};
    Label lblFollowFrom{this, "lblFollowFrom"};
    TextBox txtFollowFrom{this, "txtFollowFrom"};
    Label lblCredentials{this, "lblCredentials"};
    TextBox txtCredentials{this, "txtCredentials"};
    Label lblFollowing{this, "lblFollowing"};
    CommandButton cmdClose{this, "cmdClose"};
    Timer tmrWatchers{this, "tmrWatchers", 1000, true};
    // Control by paired devices (frmRemoteDisplays_control.cpp).
    static constexpr std::size_t DeviceRows = Pairing::MaxDevices;
    CheckBox chkControl{this, "chkControl"};
    CommandButton cmdPair{this, "cmdPair"};
    Label lblPairCode{this, "lblPairCode"};
    Label lblPairNote{this, "lblPairNote"};
    Label lblDevices{this, "lblDevices"};
    std::array<Label, DeviceRows> lblDevice = makeArray<Label, DeviceRows>(this, "lblDevice");
    std::array<CommandButton, DeviceRows> cmdForget =
        makeArray<CommandButton, DeviceRows>(this, "cmdForget");
    CommandButton cmdForgetAll{this, "cmdForgetAll"};
    Label lblTls{this, "lblTls"};
    Label lblTlsCert{this, "lblTlsCert"};
    TextBox txtTlsCert{this, "txtTlsCert"};
    Label lblTlsKey{this, "lblTlsKey"};
    TextBox txtTlsKey{this, "txtTlsKey"};

  private:
    void ServeOrStop();
    void ShowServing();
    void ShowWatchers();
    void PublishOrStop(); // frmRemoteDisplays_publish.cpp
    void ShowPublishing();
    void ShowPublishingState();
    void FollowOrNot(); // remote_follow.cpp
    void ShowFollowing();
    void ShowFollowingState();
    std::string instance() const;
    void layOutControl();
    void ShowControl();
    void PairDevice();

    App& m_app;
    RemoteDisplays& m_remote;
    MqttPublishing* m_publishing;
    // The check box is set to match the server while the dialog opens; that is no choice.
    bool m_showing = false;
    // The address a device opens to pair, while a code is on offer; its code is drawn instead
    // of the page's.
    std::string m_pairLink;
};

} // namespace orvane
