#include "follow/leader.h"

#include "app.h"
#include "follow/leader_message.h"

#include <cstdlib>

namespace orvane {

Leader::Leader(App& app, MqttLink& link, ClockHealthSource* health)
    : m_app(app), m_link(link), m_health(health) {}

Leader::~Leader() {
    stop();
}

void Leader::start(const MqttAddress& where, const MqttServer& server) {
    stop();
    m_where = where;
    m_run = m_app.ownClock().computer().unixMs();
    m_sequence = 0;
    m_happeningSequence = 0;
    m_recent.clear();
    m_sent.reset();
    m_link.onConnection = [this](bool connected, const std::string& why) {
        // Whatever the broker kept may be older than the state: it goes out again at once.
        if (connected)
            m_sent.reset();
        if (onConnection)
            onConnection(connected, why);
        if (connected)
            check();
    };
    m_link.onMessage = nullptr;
    m_happenings = m_app.happenings().subscribe([this](const Happening& h) {
        if (!m_where)
            return;
        ++m_happeningSequence;
        LeaderHappening sent{m_happeningSequence, std::string(kindName(h.kind)),
                             happeningJson(h, m_run, m_happeningSequence), h.by};
        m_link.publish(m_where->happeningsTopic(), sent.json, false);
        m_recent.push_back(std::move(sent));
        if (m_recent.size() > leader_limits::MaxHappenings)
            m_recent.pop_front();
        check();
    });
    m_rounds = m_app.happenings().subscribeRounds([this] { check(); });
    m_link.start(server);
}

void Leader::stop() {
    m_happenings.reset();
    m_rounds.reset();
    if (m_where)
        m_link.stop();
    m_where.reset();
}

ClockHealth Leader::health() const {
    return m_health ? m_health->current() : ClockHealth{};
}

// A simulated time that moved the computer's clock is sent as an offset from the true time,
// so that followers run their own clocks at it instead of taking it for the true time.
RemoteState Leader::readState(std::int64_t& trueMs) const {
    const std::int64_t computerMs = m_app.ownClock().computer().unixMs();
    trueMs = m_app.trueTimeMs();
    return readRemoteState(m_app, computerMs);
}

// The state is read at every round (so a change of the clock's health is seen within the
// second, without taking the health source's one listener), which comes right after each second and
// each event; it goes out only when the rules above say so, and only while the broker can take it.
void Leader::check() {
    if (!m_where || !m_link.connected())
        return;
    std::int64_t trueMs = 0;
    const RemoteState state = readState(trueMs);
    const ResendClock now{state.serverTimeMs,
                          state.serverTimeMs - m_app.ownClock().computer().monotonicMs()};
    // The computer's clock may step first and the program learn only after that it was a
    // simulated time: the offset from the true time goes out as soon as it is known.
    const std::int64_t offset = state.serverTimeMs - trueMs;
    const bool due = !m_sent || health() != m_sentHealth ||
                     std::abs(offset - m_sentOffsetMs) > ClockStepMs ||
                     resendDue(m_sentClock, now, remoteStateChanged(*m_sent, state));
    if (!due)
        return;
    publishState(state, trueMs);
    m_sent = state;
    m_sentClock = now;
    m_sentHealth = health();
    m_sentOffsetMs = offset;
}

void Leader::publishState(const RemoteState& state, std::int64_t trueMs) {
    LeaderMessage m;
    m.run = m_run;
    m.sequence = ++m_sequence;
    m.trueTimeMs = trueMs;
    m.simOffsetMs = state.serverTimeMs - trueMs;
    m.brokerRoundTripMs = m_link.lastPublishRoundTripMs();
    m.clockHealth = health();
    m.state = state;
    m.happenings.emplace(m_recent.begin(), m_recent.end());
    m.rows.emplace();
    const Board& board = m_app.board();
    for (int n = 0; n < 10; ++n)
        if (const BoardRow& row = board.row(n); !row.defined)
            m.rows->push_back({n + 1, row.name, row.visible});
    m_link.publish(m_where->topic, leaderMessageJson(m), true);
}

} // namespace orvane
