#include "mqtt/mosquitto_link.h"

#include <mosquitto.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace orvane {

namespace {

// The same clock as the program's monotonic clock.
std::int64_t monotonicMs() {
    timespec t{};
    clock_gettime(CLOCK_BOOTTIME, &t);
    return std::int64_t(t.tv_sec) * 1000 + t.tv_nsec / 1'000'000;
}

// The library is set up once for the whole program.
void initLibrary() {
    static const bool done = [] {
        mosquitto_lib_init();
        std::atexit([] { mosquitto_lib_cleanup(); });
        return true;
    }();
    (void)done;
}

constexpr int KeepAliveSeconds = 10;
constexpr std::size_t MaxUnacknowledged = 256;

} // namespace

MosquittoLink::MosquittoLink(Post post) : m_post(std::move(post)) {
    initLibrary();
}

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
    m_mosq = mosquitto_new(server.clientId.empty() ? nullptr : server.clientId.c_str(), true, this);
    if (!m_mosq) {
        tell([this] {
            if (onConnection)
                onConnection(false, "The MQTT client could not be made.");
        });
        return;
    }
    mosquitto_int_option(m_mosq, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
    mosquitto_int_option(m_mosq, MOSQ_OPT_TCP_NODELAY, 1);
    mosquitto_reconnect_delay_set(m_mosq, 1, 5, false);
    mosquitto_connect_callback_set(m_mosq, &MosquittoLink::handleConnect);
    mosquitto_disconnect_callback_set(m_mosq, &MosquittoLink::handleDisconnect);
    mosquitto_message_callback_set(m_mosq, &MosquittoLink::handleMessage);
    mosquitto_publish_callback_set(m_mosq, &MosquittoLink::handlePublish);
    if (!server.user.empty())
        mosquitto_username_pw_set(m_mosq, server.user.c_str(), server.password.c_str());
    if (server.tls) {
        // The system's certificate store; OpenSSL's SSL_CERT_FILE and SSL_CERT_DIR name
        // another, as for every other program on the system.
        const char* file = std::getenv("SSL_CERT_FILE");
        const char* dir = std::getenv("SSL_CERT_DIR");
        mosquitto_int_option(m_mosq, MOSQ_OPT_TLS_USE_OS_CERTS, 1);
        mosquitto_tls_set(m_mosq, file && *file ? file : nullptr,
                          dir && *dir ? dir : "/etc/ssl/certs", nullptr, nullptr, nullptr);
    }
    {
        std::lock_guard lock(m_mutex);
        m_stopping = false;
    }
    m_connector = std::thread([this, server] { connectFirst(server); });
}

// The first connection looks the host up and may wait on the network; once it is under way
// the library's thread runs the connection and connects again after every drop.
void MosquittoLink::connectFirst(MqttServer server) {
    for (;;) {
        const int rc =
            mosquitto_connect_async(m_mosq, server.host.c_str(), server.port, KeepAliveSeconds);
        std::unique_lock lock(m_mutex);
        if (m_stopping)
            return;
        if (rc == MOSQ_ERR_SUCCESS)
            break;
        const std::string why =
            rc == MOSQ_ERR_ERRNO ? std::strerror(errno) : mosquitto_strerror(rc);
        lock.unlock();
        tell([this, why] {
            if (onConnection)
                onConnection(false, why);
        });
        lock.lock();
        if (m_wake.wait_for(lock, std::chrono::seconds(2), [this] { return m_stopping; }))
            return;
    }
    if (mosquitto_loop_start(m_mosq) == MOSQ_ERR_SUCCESS) {
        std::lock_guard lock(m_mutex);
        m_loopRunning = true;
    }
}

void MosquittoLink::stop() {
    if (!m_mosq)
        return;
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    if (m_connector.joinable())
        m_connector.join();
    mosquitto_disconnect(m_mosq);
    if (m_loopRunning)
        mosquitto_loop_stop(m_mosq, false);
    m_loopRunning = false;
    mosquitto_destroy(m_mosq);
    m_mosq = nullptr;
    m_connected = false;
    std::lock_guard lock(m_mutex);
    m_sentAt.clear();
}

void MosquittoLink::publish(const std::string& topic, const std::string& payload, bool retain) {
    if (!m_mosq || !m_connected)
        return;
    int mid = 0;
    const std::int64_t at = monotonicMs();
    // Not under the lock: the library's thread takes it to match the acknowledgement. One
    // acknowledged before it is written down is only one measurement fewer.
    if (mosquitto_publish(m_mosq, &mid, topic.c_str(), int(payload.size()), payload.data(), 1,
                          retain) != MOSQ_ERR_SUCCESS)
        return;
    std::lock_guard lock(m_mutex);
    if (m_sentAt.size() >= MaxUnacknowledged)
        m_sentAt.erase(m_sentAt.begin());
    m_sentAt[mid] = at;
}

void MosquittoLink::subscribe(const std::string& topic) {
    {
        std::lock_guard lock(m_mutex);
        for (const std::string& t : m_topics)
            if (t == topic)
                return;
        m_topics.push_back(topic);
    }
    if (m_mosq && m_connected)
        mosquitto_subscribe(m_mosq, nullptr, topic.c_str(), 1);
}

std::optional<std::int64_t> MosquittoLink::lastPublishRoundTripMs() const {
    const std::int64_t ms = m_roundTripMs.load();
    return ms < 0 ? std::nullopt : std::optional<std::int64_t>(ms);
}

// On the library's thread from here on.
void MosquittoLink::handleConnect(mosquitto* mosq, void* self, int rc) {
    auto* link = static_cast<MosquittoLink*>(self);
    if (rc != 0) {
        const std::string why = mosquitto_connack_string(rc);
        link->tell([link, why] {
            link->m_connected = false;
            if (link->onConnection)
                link->onConnection(false, why);
        });
        return;
    }
    std::vector<std::string> topics;
    {
        std::lock_guard lock(link->m_mutex);
        topics = link->m_topics;
    }
    for (const std::string& topic : topics)
        mosquitto_subscribe(mosq, nullptr, topic.c_str(), 1);
    link->tell([link] {
        link->m_connected = true;
        if (link->onConnection)
            link->onConnection(true, {});
    });
}

void MosquittoLink::handleDisconnect(mosquitto*, void* self, int rc) {
    auto* link = static_cast<MosquittoLink*>(self);
    const std::string why = rc == 0 ? "The connection was closed." : "The connection was lost.";
    link->tell([link, why] {
        const bool was = link->m_connected;
        link->m_connected = false;
        if (was && link->onConnection)
            link->onConnection(false, why);
    });
}

void MosquittoLink::handleMessage(mosquitto*, void* self, const mosquitto_message* m) {
    auto* link = static_cast<MosquittoLink*>(self);
    MqttMessage copy;
    copy.topic = m->topic ? m->topic : "";
    if (m->payload && m->payloadlen > 0)
        copy.payload.assign(static_cast<const char*>(m->payload), std::size_t(m->payloadlen));
    copy.retained = m->retain;
    copy.receivedMonotonicMs = monotonicMs();
    link->tell([link, copy = std::move(copy)] {
        if (link->onMessage)
            link->onMessage(copy);
    });
}

void MosquittoLink::handlePublish(mosquitto*, void* self, int mid) {
    auto* link = static_cast<MosquittoLink*>(self);
    const std::int64_t now = monotonicMs();
    std::lock_guard lock(link->m_mutex);
    const auto it = link->m_sentAt.find(mid);
    if (it == link->m_sentAt.end())
        return;
    link->m_roundTripMs.store(now - it->second);
    link->m_sentAt.erase(it);
}

} // namespace orvane
