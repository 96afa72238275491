#pragma once

// A connection to an MQTT broker, as the leader and the followers use it. The real one runs
// its network work on a thread of its own, so that a name lookup or a connect never holds up
// the count; everything it tells arrives on the user-interface thread. Messages arriving
// faster than that thread takes them are coalesced: of each topic only the latest waits, so a
// flood costs bounded memory and work. Tests give a fake broker.

#include <cstddef>
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
    // Larger than MqttMessageLimit: dropped as it arrived, unread; the payload is empty and
    // this tells how large it was.
    std::size_t droppedBytes = 0;
};

// No message of a leader comes near this; a larger one is dropped before it is copied.
inline constexpr std::size_t MqttMessageLimit = 64 * 1024;

// MQTT's own limit for a topic, in bytes.
inline constexpr std::size_t MqttTopicLimit = 65'535;

class MqttLink {
  public:
    virtual ~MqttLink() = default;
    // Connects, and connects again by itself whenever the connection drops, until stop().
    // Topics subscribed are subscribed again on each connection.
    virtual void start(const MqttServer& server) = 0;
    // Returns at once: the connection winds down on a thread of its own, and nothing of it is
    // told after.
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
