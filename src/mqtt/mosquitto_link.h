#pragma once

// The real broker connection, on libmosquitto. The network work runs on the library's own
// thread (mosquitto_loop_start), and the first connection, with its name lookup, on a short
// thread of its own: nothing here waits on the network in the caller's thread. What the
// connection tells is handed to POST, which must run it on the user-interface thread.

#include "services/mqtt.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

struct mosquitto;
struct mosquitto_message;

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

  private:
    static void handleConnect(mosquitto*, void* self, int rc);
    static void handleDisconnect(mosquitto*, void* self, int rc);
    static void handleMessage(mosquitto*, void* self, const mosquitto_message* m);
    static void handlePublish(mosquitto*, void* self, int mid);
    // Runs TASK on the user-interface thread unless this link is gone by then.
    void tell(std::function<void()> task);
    void connectFirst(MqttServer server);

    Post m_post;
    // Shared with the tasks on their way to the user-interface thread.
    std::shared_ptr<std::atomic<bool>> m_alive = std::make_shared<std::atomic<bool>>(true);
    mosquitto* m_mosq = nullptr;
    bool m_connected = false; // as the user-interface thread was last told
    bool m_loopRunning = false;
    std::thread m_connector;
    std::mutex m_mutex; // guards what follows, shared with the network threads
    std::condition_variable m_wake;
    bool m_stopping = false;
    std::vector<std::string> m_topics;
    std::map<int, std::int64_t> m_sentAt; // message id -> monotonic ms when published
    std::atomic<std::int64_t> m_roundTripMs{-1};
};

} // namespace orvane
