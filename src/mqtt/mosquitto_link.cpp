#include "mqtt/mosquitto_link.h"

#include "mqtt/mosquitto_api.h"

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <initializer_list>
#include <map>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace orvane {

namespace {

// The same clock as the program's monotonic clock.
std::int64_t monotonicMs() {
    timespec t{};
    clock_gettime(CLOCK_BOOTTIME, &t);
    return std::int64_t(t.tv_sec) * 1000 + t.tv_nsec / 1'000'000;
}

constexpr int KeepAliveSeconds = 10;
constexpr std::size_t MaxUnacknowledged = 256;
constexpr std::size_t LogLineLimit = 300;
constexpr std::chrono::seconds RetryAfter{5};

bool says(const std::string& text, std::initializer_list<const char*> words) {
    for (const char* w : words)
        if (text.find(w) != std::string::npos)
            return true;
    return false;
}

} // namespace

struct MosquittoLink::Connection : std::enable_shared_from_this<Connection> {
    MqttServer server;
    Post post;
    MosquittoLink* link = nullptr; // used on the user-interface thread while alive
    mosquitto* mosq = nullptr;
    std::thread connector;
    std::atomic<std::int64_t> roundTripMs{-1};
    std::atomic<bool> connectedOnce{false}; // on the library's thread: since the last drop

    std::mutex postMutex; // guards alive against the program's end
    bool alive = true;

    std::mutex mutex; // guards what follows, shared with the network threads
    std::condition_variable wake;
    bool stopping = false;
    bool loopRunning = false;
    bool loopFailed = false; // the library's thread ended by itself
    std::vector<std::string> topics;
    std::map<int, std::int64_t> sentAt; // message id -> monotonic ms when published
    // The latest message of each topic the user-interface thread has not taken yet.
    std::map<std::string, MqttMessage> waiting;
    bool deliveryPosted = false;
    std::string lastLog; // the library's last words about TLS

    // Runs TASK on the user-interface thread, unless stopped before it runs there.
    void tell(std::function<void()> task) {
        std::lock_guard lock(postMutex);
        if (!alive)
            return;
        post([self = shared_from_this(), task = std::move(task)] {
            if (self->isAlive())
                task();
        });
    }
    bool isAlive() {
        std::lock_guard lock(postMutex);
        return alive;
    }
    void tellConnection(bool connected, std::string why) {
        tell([link = link, connected, why = std::move(why)] {
            link->connectionTold(connected, why);
        });
    }
    // What a failure of RC (ERR: errno just after it) means, in words for the user.
    std::string failure(int rc, int err);
};

std::string MosquittoLink::Connection::failure(int rc, int err) {
    std::string log;
    {
        std::lock_guard lock(mutex);
        log = lastLog;
    }
    const std::string at = server.host + ":" + std::to_string(server.port);
    if (says(log, {"certificate verify failed", "self-signed", "self signed",
                   "unable to get local issuer"}))
        return "The broker's certificate is not trusted (self-signed, or signed by an authority "
               "this computer does not trust)";
    if (server.tls && says(log, {"wrong version number", "packet length too long", "record layer",
                                 "unexpected eof", "http request", "unknown protocol"}))
        return "The broker at " + at + " does not speak TLS";
    if (rc == MOSQ_ERR_EAI)
        return "The name " + server.host + " was not found";
    if (rc == MOSQ_ERR_ERRNO && err == ECONNREFUSED)
        return "The broker at " + at + " refused the connection";
    if (rc == MOSQ_ERR_ERRNO && err != 0)
        return std::strerror(err);
    if (rc == MOSQ_ERR_TLS && !log.empty())
        return "A TLS error occurred: " + log;
    return api().strerror(rc);
}

namespace {

// On the library's threads from here on.
void handleConnect(mosquitto* mosq, void* self, int rc) {
    auto* c = static_cast<MosquittoLink::Connection*>(self);
    if (rc != 0) {
        c->tellConnection(false, rc == 4 || rc == 5 ? "The broker refused this user: not authorised"
                                                    : std::string(api().connack_string(rc)));
        return;
    }
    c->connectedOnce = true;
    std::vector<std::string> topics;
    {
        std::lock_guard lock(c->mutex);
        topics = c->topics;
    }
    for (const std::string& topic : topics)
        api().subscribe(mosq, nullptr, topic.c_str(), 1);
    c->tellConnection(true, {});
}

void handleDisconnect(mosquitto*, void* self, int rc) {
    const int err = errno;
    auto* c = static_cast<MosquittoLink::Connection*>(self);
    const bool was = c->connectedOnce.exchange(false);
    if (rc == MOSQ_ERR_CONN_REFUSED && !was)
        return; // the broker's refusal was told with its reason as the connection's answer
    c->tellConnection(false, rc == 0 ? "The connection was closed."
                             : was   ? "The connection was lost."
                                     : c->failure(rc, err));
}

void handleMessage(mosquitto*, void* self, const mosquitto_message* m) {
    auto* c = static_cast<MosquittoLink::Connection*>(self);
    MqttMessage copy;
    copy.topic = m->topic ? m->topic : "";
    const std::size_t size = m->payloadlen > 0 ? std::size_t(m->payloadlen) : 0;
    // Nothing a leader sends comes near the limit: a larger message is not even copied.
    if (size > MqttMessageLimit)
        copy.droppedBytes = size;
    else if (m->payload && size > 0)
        copy.payload.assign(static_cast<const char*>(m->payload), size);
    copy.retained = m->retain;
    copy.receivedMonotonicMs = monotonicMs();
    bool post = false;
    {
        std::lock_guard lock(c->mutex);
        c->waiting[copy.topic] = std::move(copy);
        post = !std::exchange(c->deliveryPosted, true);
    }
    if (post)
        c->tell([link = c->link] { link->deliverWaiting(); });
}

void handlePublish(mosquitto*, void* self, int mid) {
    auto* c = static_cast<MosquittoLink::Connection*>(self);
    const std::int64_t now = monotonicMs();
    std::lock_guard lock(c->mutex);
    const auto it = c->sentAt.find(mid);
    if (it == c->sentAt.end())
        return;
    c->roundTripMs.store(now - it->second);
    c->sentAt.erase(it);
}

void handleLog(mosquitto*, void* self, int level, const char* text) {
    if (!text)
        return;
    const std::string line = std::string(text).substr(0, LogLineLimit);
    if (!says(line, {"SSL", "TLS", "certificate"}))
        return;
    auto* c = static_cast<MosquittoLink::Connection*>(self);
    {
        std::lock_guard lock(c->mutex);
        c->lastLog = line;
    }
    if (level != MOSQ_LOG_ERR)
        return;
    // The library's thread ends after this without a word more.
    c->tellConnection(false, c->failure(MOSQ_ERR_TLS, 0));
    c->connectedOnce = false;
    {
        std::lock_guard lock(c->mutex);
        c->loopFailed = true;
    }
    c->wake.notify_all();
}

// Connects, looking the host up and maybe waiting on the network, then hands the connection
// to the library's thread, which connects again after every drop. On a TLS failure that
// thread ends, telling only its log: this one then starts it again after a while, until
// stopped.
void runConnection(MosquittoLink::Connection* c) {
    for (;;) {
        {
            std::lock_guard lock(c->mutex);
            c->loopFailed = false;
            c->lastLog.clear();
        }
        const int rc =
            api().connect_async(c->mosq, c->server.host.c_str(), c->server.port, KeepAliveSeconds);
        const int err = errno;
        std::unique_lock lock(c->mutex);
        if (c->stopping)
            return;
        if (rc == MOSQ_ERR_SUCCESS && api().loop_start(c->mosq) == MOSQ_ERR_SUCCESS) {
            c->loopRunning = true;
            c->wake.wait(lock, [c] { return c->stopping || c->loopFailed; });
            if (c->stopping)
                return;
            lock.unlock();
            api().disconnect(c->mosq);
            api().loop_stop(c->mosq, false);
            lock.lock();
            c->loopRunning = false;
        } else if (rc != MOSQ_ERR_SUCCESS) {
            lock.unlock();
            c->tellConnection(false, c->failure(rc, err));
            lock.lock();
        }
        if (c->wake.wait_for(lock, RetryAfter, [c] { return c->stopping; }))
            return;
    }
}

// Disconnects and lets go of the connection, however long its threads take to end.
void windDown(std::shared_ptr<MosquittoLink::Connection> c) {
    if (c->connector.joinable())
        c->connector.join();
    api().disconnect(c->mosq);
    if (c->loopRunning)
        api().loop_stop(c->mosq, false);
    api().destroy(c->mosq);
    c->mosq = nullptr;
}

} // namespace

MosquittoLink::MosquittoLink(Post post) : m_post(std::move(post)) {}

MosquittoLink::~MosquittoLink() {
    stop();
    m_alive->store(false);
}

void MosquittoLink::tell(std::function<void()> task) {
    m_post([alive = m_alive, task = std::move(task)] {
        if (alive->load())
            task();
    });
}

void MosquittoLink::start(const MqttServer& server) {
    stop();
    if (!library()) {
        tell([this] {
            connectionTold(false, "The MQTT client library (libmosquitto1) is not installed.");
        });
        return;
    }
    auto c = std::make_shared<Connection>();
    c->server = server;
    c->post = m_post;
    c->link = this;
    c->topics = m_topics;
    c->mosq =
        api().make(server.clientId.empty() ? nullptr : server.clientId.c_str(), true, c.get());
    if (!c->mosq) {
        tell([this] { connectionTold(false, "The MQTT client could not be made."); });
        return;
    }
    mosquitto* mosq = c->mosq;
    api().int_option(mosq, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
    api().int_option(mosq, MOSQ_OPT_TCP_NODELAY, 1);
    api().reconnect_delay_set(mosq, 1, 5, false);
    api().connect_callback_set(mosq, &handleConnect);
    api().disconnect_callback_set(mosq, &handleDisconnect);
    api().message_callback_set(mosq, &handleMessage);
    api().publish_callback_set(mosq, &handlePublish);
    api().log_callback_set(mosq, &handleLog);
    if (!server.user.empty())
        api().username_pw_set(mosq, server.user.c_str(), server.password.c_str());
    if (server.tls) {
        // The system's certificate store; OpenSSL's SSL_CERT_FILE and SSL_CERT_DIR name
        // another, as for every other program on the system.
        const char* file = std::getenv("SSL_CERT_FILE");
        const char* dir = std::getenv("SSL_CERT_DIR");
        api().int_option(mosq, MOSQ_OPT_TLS_USE_OS_CERTS, 1);
        api().tls_set(mosq, file && *file ? file : nullptr, dir && *dir ? dir : "/etc/ssl/certs",
                      nullptr, nullptr, nullptr);
    }
    m_connection = c;
    c->connector = std::thread(&runConnection, c.get());
}

void MosquittoLink::stop() {
    m_connected = false;
    m_toldWhy.clear();
    if (!m_connection)
        return;
    std::shared_ptr<Connection> c = std::move(m_connection);
    {
        std::lock_guard lock(c->postMutex);
        c->alive = false;
    }
    {
        std::lock_guard lock(c->mutex);
        c->stopping = true;
    }
    c->wake.notify_all();
    std::thread(&windDown, std::move(c)).detach();
}

void MosquittoLink::connectionTold(bool connected, const std::string& why) {
    const bool was = m_connected;
    m_connected = connected;
    // A broker that keeps failing alike is told once, until something changes.
    if (!connected && !was && why == m_toldWhy)
        return;
    m_toldWhy = connected ? std::string() : why;
    if (onConnection)
        onConnection(connected, why);
}

void MosquittoLink::deliverWaiting() {
    std::map<std::string, MqttMessage> waiting;
    {
        std::lock_guard lock(m_connection->mutex);
        waiting.swap(m_connection->waiting);
        m_connection->deliveryPosted = false;
    }
    for (const auto& [topic, message] : waiting)
        if (onMessage)
            onMessage(message);
}

void MosquittoLink::publish(const std::string& topic, const std::string& payload, bool retain) {
    if (!m_connection || !m_connected)
        return;
    Connection& c = *m_connection;
    int mid = 0;
    const std::int64_t at = monotonicMs();
    // Not under the lock: the library's thread takes it to match the acknowledgement. One
    // acknowledged before it is written down is only one measurement fewer.
    if (api().publish(c.mosq, &mid, topic.c_str(), int(payload.size()), payload.data(), 1,
                      retain) != MOSQ_ERR_SUCCESS)
        return;
    std::lock_guard lock(c.mutex);
    if (c.sentAt.size() >= MaxUnacknowledged)
        c.sentAt.erase(c.sentAt.begin());
    c.sentAt[mid] = at;
}

void MosquittoLink::subscribe(const std::string& topic) {
    for (const std::string& t : m_topics)
        if (t == topic)
            return;
    m_topics.push_back(topic);
    if (!m_connection)
        return;
    {
        std::lock_guard lock(m_connection->mutex);
        m_connection->topics = m_topics;
    }
    if (m_connected)
        api().subscribe(m_connection->mosq, nullptr, topic.c_str(), 1);
}

std::optional<std::int64_t> MosquittoLink::lastPublishRoundTripMs() const {
    const std::int64_t ms = m_connection ? m_connection->roundTripMs.load() : -1;
    return ms < 0 ? std::nullopt : std::optional<std::int64_t>(ms);
}

} // namespace orvane
