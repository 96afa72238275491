#pragma once

// Leaders and followers in the program: --publish, --follow and --mqtt-credentials read and
// checked before any window opens, then after start-up the follower started, or the leader
// publishing as the option or the choice kept in the settings says; and the Remote Displays
// dialog's publishing part.

#include "follow/follower.h"
#include "follow/leader.h"
#include "follow/mqtt_address.h"
#include "mqtt/mosquitto_link.h"
#include "remote/frmRemoteDisplays.h"

#include <memory>
#include <optional>
#include <string>

namespace orvane {

class App;
struct AppInfo;
class Files;
class QtScheduler;
class Settings;

// --publish, --follow and --mqtt-credentials as read and checked.
struct FollowOptions {
    std::optional<MqttAddress> publish;
    std::string publishText;
    std::optional<MqttAddress> follow;
    std::optional<MqttCredentials> credentials;
};

class FollowSetup : public MqttPublishing {
  public:
    // Reads the options of INFO, the credentials file through FILES, needing no display;
    // empty, with the reason on standard error, when one cannot be used.
    static std::optional<FollowOptions> readOptions(const AppInfo& info, Files& files);

    // Makes INFO and OPTIONS follow as the choice kept in SETTINGS says, unless the command line
    // says otherwise; a kept choice that cannot be used is said on standard error and left.
    static void takeSavedChoice(AppInfo& info, Settings& settings, Files& files,
                                FollowOptions& options);
    // ORVANE_INSTANCE_NAME, as the copy's claim to run alone uses it; empty when unset.
    static std::string instanceName();

    FollowSetup(App& app, QtScheduler& scheduler);
    ~FollowSetup() override;
    FollowSetup(const FollowSetup&) = delete;
    FollowSetup& operator=(const FollowSetup&) = delete;

    // The options as readOptions() read them, before any window opened.
    void takeOptions(FollowOptions options) { m_options = std::move(options); }
    // The reading of this computer's clock's health a leader publishes; none: "unknown".
    void setClockHealth(ClockHealthSource* health) { m_health = health; }
    // After start-up.
    void start();

    std::string publish(const std::string& address) override;
    void stopPublishing() override;
    std::string publishingTo() const override { return m_publishingTo; }
    std::string publishingState() const override;
    std::string checkFollow(const std::string& address, const std::string& credentials) override;
    std::string followingState() const override;
    std::string instance() const override { return instanceName(); }

    Follower* follower() { return m_follower.get(); }

  private:
    // The credentials file INFO names; empty, with the reason in ERROR, when it cannot be used.
    static std::optional<MqttCredentials> readCredentials(const AppInfo& info, Files& files,
                                                          std::string& error);
    MqttServer serverFor(const MqttAddress& where) const;
    void brokerConnection(bool connected, const std::string& why, const std::string& address);
    // Publishes to WHERE, as TEXT gave it.
    void publishTo(const MqttAddress& where, const std::string& text);

    App& m_app;
    std::unique_ptr<MosquittoLink> m_link;
    std::unique_ptr<Leader> m_leader;
    std::unique_ptr<Follower> m_follower;
    FollowOptions m_options;
    std::string m_clientId;
    std::string m_publishingTo;
    bool m_brokerFailed = false;
    bool m_leaderConnected = false;
    std::string m_leaderProblem;
    ClockHealthSource* m_health = nullptr;
};

} // namespace orvane
