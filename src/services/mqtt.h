#pragma once

// A connection to an MQTT broker, as the leader and the followers use it. The real one runs
// its network work on a thread of its own, so that a name lookup or a connect never holds up
// the count; everything it tells arrives on the user-interface thread. Tests give a fake
// broker.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace orvane {

struct MqttServer {
    std::string host;
    int port = 1883;
    bool tls = false; // with the system's certificate store
    // From the credentials file, never from the command line; empty for none.
    std::string user;
    std::string password;
    // The client's name at the broker; unique per program run.
    std::string clientId;
};

struct MqttMessage {
    std::string topic;
    std::string payload;
    // Kept by the broker and handed on at subscription, rather than just published.
    bool retained = false;
    // The monotonic clock's reading when the program took the message in.
    std::int64_t receivedMonotonicMs = 0;
};

class MqttLink {
  public:
    virtual ~MqttLink() = default;
    // Connects, and connects again by itself whenever the connection drops, until stop().
    // Topics subscribed are subscribed again on each connection.
    virtual void start(const MqttServer& server) = 0;
    virtual void stop() = 0;
    // QoS 1: the broker keeps a retained message for whoever subscribes later. Dropped while
    // not connected (the caller publishes again after each reconnect).
    virtual void publish(const std::string& topic, const std::string& payload, bool retain) = 0;
    virtual void subscribe(const std::string& topic) = 0;
    virtual bool connected() const = 0;
    // The time from the last publish that the broker acknowledged to its acknowledgement, on
    // the monotonic clock: an upper bound of how long a message takes to the broker.
    virtual std::optional<std::int64_t> lastPublishRoundTripMs() const = 0;

    // Told on the user-interface thread. WHY: the broker's or the network's words when a
    // connection failed or dropped.
    std::function<void(bool connected, const std::string& why)> onConnection;
    std::function<void(const MqttMessage& message)> onMessage;
};

} // namespace orvane
