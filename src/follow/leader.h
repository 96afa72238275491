#pragma once

// A leader publishes its count to an MQTT broker for followers in other rooms and at other
// sites: its state as a retained message on TOPIC, so that a follower joining late gets it at
// once, and each happening on TOPIC/happenings.
//
// The state goes out when a follower could not work it out for itself (the same rule as for
// the remote displays: a hold, a resume, a new launch time, the window, the events), when the
// program's clock was stepped or the clock's health changed, at least once a minute so that
// followers know the leader is there, and again after every reconnection to the broker.

#include "follow/leader_message.h"
#include "follow/mqtt_address.h"
#include "happenings.h"
#include "remote/remote_state.h"
#include "services/clock_health.h"
#include "services/mqtt.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>

namespace orvane {

class App;

class Leader {
  public:
    // HEALTH may be null where the clock's health is not read.
    Leader(App& app, MqttLink& link, ClockHealthSource* health);
    ~Leader();
    Leader(const Leader&) = delete;
    Leader& operator=(const Leader&) = delete;

    // Publishes to WHERE, through the broker as SERVER gives it, from now on.
    void start(const MqttAddress& where, const MqttServer& server);
    void stop();
    bool publishing() const { return m_where.has_value(); }
    const std::optional<MqttAddress>& address() const { return m_where; }
    // The messages of state sent in this run.
    std::int64_t sequence() const { return m_sequence; }

    // Told on the user-interface thread when the broker connection comes or goes, with the
    // broker's or the network's words for a failure.
    std::function<void(bool connected, const std::string& why)> onConnection;

  private:
    void check();
    void publishState(const RemoteState& state, std::int64_t trueMs);
    RemoteState readState(std::int64_t& trueMs) const;
    ClockHealth health() const;

    App& m_app;
    MqttLink& m_link;
    ClockHealthSource* m_health;
    std::optional<MqttAddress> m_where;
    std::int64_t m_run = 0;
    std::int64_t m_sequence = 0;
    std::int64_t m_happeningSequence = 0;
    // The last happenings sent, which every state message carries too.
    std::deque<LeaderHappening> m_recent;
    std::optional<RemoteState> m_sent;
    ResendClock m_sentClock;
    ClockHealth m_sentHealth;
    std::int64_t m_sentOffsetMs = 0;
    Subscription m_happenings;
    Subscription m_rounds;
};

} // namespace orvane
