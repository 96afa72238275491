#include "mqtt/mosquitto_link.h"

#include <mosquitto.h>

#include <dlfcn.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <type_traits>

namespace orvane {

namespace {

// The same clock as the program's monotonic clock.
std::int64_t monotonicMs() {
    timespec t{};
    clock_gettime(CLOCK_BOOTTIME, &t);
    return std::int64_t(t.tv_sec) * 1000 + t.tv_nsec / 1'000'000;
}

// The client library, opened when a leader or a follower first needs it: a clock that does
// neither never maps it, nor the OpenSSL it brings, some 2 MB of the program's memory.
struct MosquittoApi {
    decltype(&::mosquitto_lib_init) lib_init = nullptr;
    decltype(&::mosquitto_lib_cleanup) lib_cleanup = nullptr;
    decltype(&::mosquitto_new) make = nullptr;
    decltype(&::mosquitto_destroy) destroy = nullptr;
    decltype(&::mosquitto_int_option) int_option = nullptr;
    decltype(&::mosquitto_reconnect_delay_set) reconnect_delay_set = nullptr;
    decltype(&::mosquitto_connect_callback_set) connect_callback_set = nullptr;
    decltype(&::mosquitto_disconnect_callback_set) disconnect_callback_set = nullptr;
    decltype(&::mosquitto_message_callback_set) message_callback_set = nullptr;
    decltype(&::mosquitto_publish_callback_set) publish_callback_set = nullptr;
    decltype(&::mosquitto_username_pw_set) username_pw_set = nullptr;
    decltype(&::mosquitto_tls_set) tls_set = nullptr;
    decltype(&::mosquitto_connect_async) connect_async = nullptr;
    decltype(&::mosquitto_strerror) strerror = nullptr;
    decltype(&::mosquitto_loop_start) loop_start = nullptr;
    decltype(&::mosquitto_disconnect) disconnect = nullptr;
    decltype(&::mosquitto_loop_stop) loop_stop = nullptr;
    decltype(&::mosquitto_publish) publish = nullptr;
    decltype(&::mosquitto_subscribe) subscribe = nullptr;
    decltype(&::mosquitto_connack_string) connack_string = nullptr;
};

const MosquittoApi* loadApi() {
    void* lib = dlopen("libmosquitto.so.1", RTLD_NOW | RTLD_LOCAL);
    if (!lib)
        return nullptr;
    static MosquittoApi a;
    auto take = [lib](auto& slot, const char* name) {
        slot = reinterpret_cast<std::remove_reference_t<decltype(slot)>>(dlsym(lib, name));
        return slot != nullptr;
    };
    const bool all = true
        && take(a.lib_init, "mosquitto_lib_init")
        && take(a.lib_cleanup, "mosquitto_lib_cleanup")
        && take(a.make, "mosquitto_new")
        && take(a.destroy, "mosquitto_destroy")
        && take(a.int_option, "mosquitto_int_option")
        && take(a.reconnect_delay_set, "mosquitto_reconnect_delay_set")
        && take(a.connect_callback_set, "mosquitto_connect_callback_set")
        && take(a.disconnect_callback_set, "mosquitto_disconnect_callback_set")
        && take(a.message_callback_set, "mosquitto_message_callback_set")
        && take(a.publish_callback_set, "mosquitto_publish_callback_set")
        && take(a.username_pw_set, "mosquitto_username_pw_set")
        && take(a.tls_set, "mosquitto_tls_set")
        && take(a.connect_async, "mosquitto_connect_async")
        && take(a.strerror, "mosquitto_strerror")
        && take(a.loop_start, "mosquitto_loop_start")
        && take(a.disconnect, "mosquitto_disconnect")
        && take(a.loop_stop, "mosquitto_loop_stop")
        && take(a.publish, "mosquitto_publish")
        && take(a.subscribe, "mosquitto_subscribe")
        && take(a.connack_string, "mosquitto_connack_string");
    if (!all) {
        dlclose(lib);
        return nullptr;
    }
    return &a;
}

// The library, or null where it is not installed. Opened and set up once for the program.
const MosquittoApi* library() {
    static const MosquittoApi* loaded = [] {
        const MosquittoApi* a = loadApi();
        if (a) {
            a->lib_init();
            std::atexit([] { library()->lib_cleanup(); });
        }
        return a;
    }();
    return loaded;
}

// Only called once library() found it.
const MosquittoApi& api() {
    return *library();
}

constexpr int KeepAliveSeconds = 10;
constexpr std::size_t MaxUnacknowledged = 256;

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
            if (onConnection)
                onConnection(false, "The MQTT client library (libmosquitto1) is not installed.");
        });
        return;
    }
    m_mosq = api().make(server.clientId.empty() ? nullptr : server.clientId.c_str(), true, this);
    if (!m_mosq) {
        tell([this] {
            if (onConnection)
                onConnection(false, "The MQTT client could not be made.");
        });
        return;
    }
    api().int_option(m_mosq, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
    api().int_option(m_mosq, MOSQ_OPT_TCP_NODELAY, 1);
    api().reconnect_delay_set(m_mosq, 1, 5, false);
    api().connect_callback_set(m_mosq, &MosquittoLink::handleConnect);
    api().disconnect_callback_set(m_mosq, &MosquittoLink::handleDisconnect);
    api().message_callback_set(m_mosq, &MosquittoLink::handleMessage);
    api().publish_callback_set(m_mosq, &MosquittoLink::handlePublish);
    if (!server.user.empty())
        api().username_pw_set(m_mosq, server.user.c_str(), server.password.c_str());
    if (server.tls) {
        // The system's certificate store; OpenSSL's SSL_CERT_FILE and SSL_CERT_DIR name
        // another, as for every other program on the system.
        const char* file = std::getenv("SSL_CERT_FILE");
        const char* dir = std::getenv("SSL_CERT_DIR");
        api().int_option(m_mosq, MOSQ_OPT_TLS_USE_OS_CERTS, 1);
        api().tls_set(m_mosq, file && *file ? file : nullptr,
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
            api().connect_async(m_mosq, server.host.c_str(), server.port, KeepAliveSeconds);
        std::unique_lock lock(m_mutex);
        if (m_stopping)
            return;
        if (rc == MOSQ_ERR_SUCCESS)
            break;
        const std::string why =
            rc == MOSQ_ERR_ERRNO ? std::strerror(errno) : api().strerror(rc);
        lock.unlock();
        tell([this, why] {
            if (onConnection)
                onConnection(false, why);
        });
        lock.lock();
        if (m_wake.wait_for(lock, std::chrono::seconds(2), [this] { return m_stopping; }))
            return;
    }
    if (api().loop_start(m_mosq) == MOSQ_ERR_SUCCESS) {
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
    api().disconnect(m_mosq);
    if (m_loopRunning)
        api().loop_stop(m_mosq, false);
    m_loopRunning = false;
    api().destroy(m_mosq);
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
    if (api().publish(m_mosq, &mid, topic.c_str(), int(payload.size()), payload.data(), 1,
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
        api().subscribe(m_mosq, nullptr, topic.c_str(), 1);
}

std::optional<std::int64_t> MosquittoLink::lastPublishRoundTripMs() const {
    const std::int64_t ms = m_roundTripMs.load();
    return ms < 0 ? std::nullopt : std::optional<std::int64_t>(ms);
}

// On the library's thread from here on.
void MosquittoLink::handleConnect(mosquitto* mosq, void* self, int rc) {
    auto* link = static_cast<MosquittoLink*>(self);
    if (rc != 0) {
        const std::string why = api().connack_string(rc);
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
        api().subscribe(mosq, nullptr, topic.c_str(), 1);
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
