#pragma once

// A broker in memory and the links of several programs to it, for the leader's and the
// followers' tests. Nothing arrives while the test is not looking: what the broker hands on
// waits until flush(), which delivers it to each program as an event of that program's own.

#include "services/mqtt.h"
#include "services/services.h"

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace orvane {

class FakeMqttLink;

class FakeBroker {
  public:
    // Stops and starts the broker: its links drop, and connect again when it is back.
    void setRunning(bool running);
    bool running() const { return m_running; }
    // Delivers whatever waits, in order, until nothing does.
    void flush();
    // Every message published, in order (topic and payload), for the tests to read.
    const std::vector<MqttMessage>& published() const { return m_published; }
    const std::map<std::string, std::string>& retained() const { return m_retained; }

  private:
    friend class FakeMqttLink;
    void join(FakeMqttLink* link);
    void leave(FakeMqttLink* link);
    void publish(const std::string& topic, const std::string& payload, bool retain);
    void later(FakeMqttLink* link, std::function<void()> task);
    void connect(FakeMqttLink& link);

    bool m_running = true;
    std::vector<FakeMqttLink*> m_links;
    std::map<std::string, std::string> m_retained;
    std::vector<MqttMessage> m_published;
    struct Pending {
        FakeMqttLink* link;
        std::function<void()> task;
    };
    std::vector<Pending> m_pending;
};

class FakeMqttLink : public MqttLink {
  public:
    // DELIVER runs what the link tells as one event of the program (its scheduler's deliver);
    // CLOCK stamps what arrives.
    using Deliver = std::function<void(const std::function<void()>&)>;
    FakeMqttLink(FakeBroker& broker, const Clock& clock, Deliver deliver);
    ~FakeMqttLink() override;

    void start(const MqttServer& server) override;
    void stop() override;
    void publish(const std::string& topic, const std::string& payload, bool retain) override;
    void subscribe(const std::string& topic) override;
    bool connected() const override { return m_connected; }
    std::optional<std::int64_t> lastPublishRoundTripMs() const override { return m_roundTripMs; }

    // What the broker's acknowledgements are said to take.
    void setRoundTripMs(std::optional<std::int64_t> ms) { m_roundTripMs = ms; }
    const MqttServer& server() const { return m_server; }
    bool started() const { return m_started; }

  private:
    friend class FakeBroker;
    FakeBroker& m_broker;
    const Clock& m_clock;
    Deliver m_deliver;
    MqttServer m_server;
    bool m_started = false;
    bool m_connected = false;
    std::vector<std::string> m_topics;
    std::optional<std::int64_t> m_roundTripMs = 1;
};

} // namespace orvane
