#include "doubles/fake_mqtt.h"

#include <algorithm>

namespace orvane {

void FakeBroker::join(FakeMqttLink* link) {
    m_links.push_back(link);
}

void FakeBroker::leave(FakeMqttLink* link) {
    std::erase(m_links, link);
    std::erase_if(m_pending, [link](const Pending& p) { return p.link == link; });
}

void FakeBroker::later(FakeMqttLink* link, std::function<void()> task) {
    m_pending.push_back({link, std::move(task)});
}

// A link connects: it hears so, then the retained message of each topic it subscribed.
void FakeBroker::connect(FakeMqttLink& link) {
    link.m_connected = true;
    later(&link, [&link] {
        if (link.onConnection)
            link.onConnection(true, {});
    });
    for (const std::string& topic : link.m_topics)
        if (const auto it = m_retained.find(topic); it != m_retained.end()) {
            MqttMessage m{topic, it->second, true, 0};
            later(&link, [&link, m]() mutable {
                m.receivedMonotonicMs = link.m_clock.monotonicMs();
                if (link.onMessage)
                    link.onMessage(m);
            });
        }
}

void FakeBroker::setRunning(bool running) {
    if (m_running == running)
        return;
    m_running = running;
    for (FakeMqttLink* link : m_links) {
        if (!link->m_started)
            continue;
        if (running) {
            connect(*link);
        } else if (link->m_connected) {
            link->m_connected = false;
            later(link, [link] {
                if (link->onConnection)
                    link->onConnection(false, "The connection was lost.");
            });
        }
    }
}

void FakeBroker::publish(const std::string& topic, const std::string& payload, bool retain) {
    m_published.push_back({topic, payload, retain, 0});
    if (retain)
        m_retained[topic] = payload;
    for (FakeMqttLink* link : m_links) {
        if (!link->m_connected ||
            std::find(link->m_topics.begin(), link->m_topics.end(), topic) == link->m_topics.end())
            continue;
        MqttMessage m{topic, payload, false, 0};
        // As the real link: one too large is dropped before it is copied.
        if (payload.size() > MqttMessageLimit) {
            m.payload.clear();
            m.droppedBytes = payload.size();
        }
        later(link, [link, m]() mutable {
            m.receivedMonotonicMs = link->m_clock.monotonicMs();
            if (link->onMessage)
                link->onMessage(m);
        });
    }
}

void FakeBroker::flush() {
    while (!m_pending.empty()) {
        Pending next = std::move(m_pending.front());
        m_pending.erase(m_pending.begin());
        next.link->m_deliver(next.task);
    }
}

FakeMqttLink::FakeMqttLink(FakeBroker& broker, const Clock& clock, Deliver deliver)
    : m_broker(broker), m_clock(clock), m_deliver(std::move(deliver)) {
    m_broker.join(this);
}

FakeMqttLink::~FakeMqttLink() {
    m_broker.leave(this);
}

void FakeMqttLink::start(const MqttServer& server) {
    m_server = server;
    m_started = true;
    if (m_broker.running())
        m_broker.connect(*this);
}

void FakeMqttLink::stop() {
    m_started = false;
    m_connected = false;
}

void FakeMqttLink::publish(const std::string& topic, const std::string& payload, bool retain) {
    if (m_connected)
        m_broker.publish(topic, payload, retain);
}

void FakeMqttLink::subscribe(const std::string& topic) {
    if (std::find(m_topics.begin(), m_topics.end(), topic) != m_topics.end())
        return;
    m_topics.push_back(topic);
    if (!m_connected)
        return;
    if (const auto it = m_broker.m_retained.find(topic); it != m_broker.m_retained.end()) {
        MqttMessage m{topic, it->second, true, 0};
        m_broker.later(this, [this, m]() mutable {
            m.receivedMonotonicMs = m_clock.monotonicMs();
            if (onMessage)
                onMessage(m);
        });
    }
}

} // namespace orvane
