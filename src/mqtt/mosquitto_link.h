#pragma once

// The real broker connection, on libmosquitto. The network work runs on the library's own
// thread (mosquitto_loop_start), and the first connection, with its name lookup, on a short
// thread of its own: nothing here waits on the network in the caller's thread. Stopping hands
// the connection to a thread that winds it down, so neither a name lookup nor a connect under
// way ever holds up the caller or the program's exit. What the connection tells is handed to
// POST, which must run it on the user-interface thread.

#include "services/mqtt.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace orvane {

class MosquittoLink : public MqttLink {
  public:
    using Post = std::function<void(std::function<void()>)>;
    explicit MosquittoLink(Post post);
    ~MosquittoLink() override;
    MosquittoLink(const MosquittoLink&) = delete;
    MosquittoLink& operator=(const MosquittoLink&) = delete;

    void start(const MqttServer& server) override;
    void stop() override;
    void publish(const std::string& topic, const std::string& payload, bool retain) override;
    void subscribe(const std::string& topic) override;
    bool connected() const override { return m_connected; }
    std::optional<std::int64_t> lastPublishRoundTripMs() const override;

    // One connection, shared with the network threads until they are done with it.
    struct Connection;
    // On the user-interface thread, as a connection tells them.
    void connectionTold(bool connected, const std::string& why);
    void deliverWaiting();

  private:
    // Runs TASK on the user-interface thread unless this link is gone by then.
    void tell(std::function<void()> task);

    Post m_post;
    // Shared with what this link tells of itself on its way to the user-interface thread.
    std::shared_ptr<std::atomic<bool>> m_alive = std::make_shared<std::atomic<bool>>(true);
    std::shared_ptr<Connection> m_connection;
    std::vector<std::string> m_topics;
    bool m_connected = false; // as the user-interface thread was last told
    std::string m_toldWhy;    // the last failure told, so each retry is not told again
};

} // namespace orvane
