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
class QtScheduler;

class FollowSetup : public MqttPublishing {
  public:
    FollowSetup(App& app, QtScheduler& scheduler);
    ~FollowSetup() override;
    FollowSetup(const FollowSetup&) = delete;
    FollowSetup& operator=(const FollowSetup&) = delete;

    // Checks the options of INFO; false, with the reason on standard error, when one cannot be
    // used. The credentials file is read here, once.
    bool takeOptions(const AppInfo& info);
    // The reading of this computer's clock's health a leader publishes; none: "unknown".
    void setClockHealth(ClockHealthSource* health) { m_health = health; }
    // After start-up.
    void start();

    std::string publish(const std::string& address) override;
    void stopPublishing() override;
    std::string publishingTo() const override { return m_publishingTo; }

    Follower* follower() { return m_follower.get(); }

  private:
    MqttServer serverFor(const MqttAddress& where) const;
    void brokerConnection(bool connected, const std::string& why, const std::string& address);
    // Publishes to WHERE, as TEXT gave it.
    void publishTo(const MqttAddress& where, const std::string& text);

    App& m_app;
    std::unique_ptr<MosquittoLink> m_link;
    std::unique_ptr<Leader> m_leader;
    std::unique_ptr<Follower> m_follower;
    std::optional<MqttAddress> m_publishOption;
    std::string m_publishOptionText;
    std::optional<MqttAddress> m_followOption;
    std::optional<MqttCredentials> m_credentials;
    std::string m_clientId;
    std::string m_publishingTo;
    bool m_brokerFailed = false;
    ClockHealthSource* m_health = nullptr;
};

} // namespace orvane
