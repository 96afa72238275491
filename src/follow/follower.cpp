#include "follow/follower.h"

#include "app.h"
#include "clock/frmOrvane.h"
#include "dates/datetime.h"
#include "events/frmEventTimers.h"
#include "follow/leader_message.h"
#include "services/json.h"

#include <cstdio>
#include <cstdlib>

namespace orvane {

namespace {

std::int64_t secondsToLaunch(const RemoteCount& c) {
    const std::int64_t s = ((c.days * 24 + c.hours) * 60 + c.minutes) * 60 + c.seconds;
    return c.sign == '-' ? s : -s;
}

// "2.0 s", to a tenth of a second.
std::string seconds(std::int64_t ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f s", double(std::llabs(ms)) / 1000.0);
    return text;
}

} // namespace

Follower::Follower(App& app, MqttLink& link) : m_app(app), m_link(link) {}

Follower::~Follower() {
    m_rounds.reset();
    if (m_where)
        m_link.stop();
}

void Follower::start(const MqttAddress& where, const MqttServer& server) {
    m_where = where;
    m_clientId = server.clientId;
    m_startedMs = m_app.ownClock().computer().unixMs();
    m_startedMonotonicMs = m_app.ownClock().computer().monotonicMs();
    m_link.onConnection = [this](bool connected, const std::string& why) {
        m_brokerProblem = connected ? std::string() : why;
        connectionChanged(connected);
        if (onConnection)
            onConnection(connected, why);
    };
    m_link.onMessage = [this](const MqttMessage& m) { received(m); };
    m_link.subscribe(where.topic);
    m_rounds = m_app.happenings().subscribeRounds([this] { round(); });
    m_link.start(server);
    showStatus();
}

void Follower::connectionChanged(bool connected) {
    if (connected) {
        // The broker hands on what the leader left with it; until then, or a fresh message,
        // the leader counts as heard only if it was within the time allowed.
        sayPresent();
    } else {
        m_silent = true;
    }
    showStatus();
}

void Follower::received(const MqttMessage& raw) {
    if (!m_where || raw.topic != m_where->topic)
        return;
    std::string error;
    const std::optional<LeaderMessage> message = parseLeaderMessage(raw.payload, error);
    if (!message)
        return;
    const bool newer = message->run != m_run || message->sequence > m_sequence;
    // A kept message that is not newer than the last says nothing of the leader now: it may
    // have gone while the broker kept its last word.
    if (!raw.retained || newer) {
        m_lastHeardMs = m_app.ownClock().computer().unixMs();
        m_lastHeardMonotonicMs = raw.receivedMonotonicMs;
        m_silent = false;
    }
    if (newer || !m_sequence)
        apply(*message);
    bool clockChanged = m_leaderHealth != message->clockHealth;
    m_leaderHealth = message->clockHealth;
    if (!raw.retained) {
        const std::optional<LeaderClockComparison> before = m_clock;
        compareClocks(*message, raw);
        clockChanged = clockChanged || before != m_clock;
    }
    if (clockChanged && onLeaderClock)
        onLeaderClock();
    showStatus();
}

void Follower::apply(const LeaderMessage& m) {
    m_run = m.run;
    m_sequence = m.sequence;
    applyClockOffset(m.simOffsetMs);
    frmOrvane::Followed leader;
    if (m.state.holding)
        leader.launch = m_app.ownClock().instant().addSeconds(secondsToLaunch(m.state.count));
    else
        leader.launch = Instant::fromUnixSeconds(OwnClock::floorDiv(m.state.launchTimeMs, 1000));
    leader.held = m.state.holding;
    leader.windowActive = m.state.windowActive;
    leader.windowText = m.state.windowText;
    leader.windowLeft = m.state.windowLeftSeconds;
    // A leader from before the seconds were sent tells what is left only as its text.
    if (!leader.windowLeft)
        leader.windowLeft = toTimeOfDay(m.state.windowText);
    m_app.frmOrvane().FollowLeader(leader);
    applyEvents(m.state);
}

// The follower's clock runs at the leader's offset from the true time, its seconds turning
// that far into the computer's, as the leader's own clock does.
void Follower::applyClockOffset(std::int64_t offsetMs) {
    OwnClock& clock = m_app.ownClock();
    if (clock.offset().value_or(0) == offsetMs)
        return;
    const Instant before = clock.instant();
    const std::optional<std::int64_t> wanted =
        offsetMs == 0 ? std::nullopt : std::optional<std::int64_t>(offsetMs);
    const std::int64_t intoSecond = ((offsetMs % 1000) + 1000) % 1000;
    m_app.services().scheduler.setSecondPhase(int((1000 - intoSecond) % 1000));
    clock.setOffset(wanted);
    Happening h =
        m_app.happening(wanted ? Happening::Kind::SimTimeSet : Happening::Kind::SimTimeRestored);
    h.oldClockMs = before.unixSeconds() * 1000;
    h.newClockMs = clock.instant().unixSeconds() * 1000;
    m_app.raise(h);
}

// The board changes only where the leader's events differ from it, each through the board's
// own definition of an event, so a follower's board tells its happenings as the leader's did.
void Follower::applyEvents(const RemoteState& state) {
    frmEventTimers& window = m_app.frmEventTimers();
    window.setFollowing();
    const Board& board = m_app.board();
    for (int n = 0; n < 10; ++n) {
        const RemoteEvent* event = nullptr;
        for (const RemoteEvent& e : state.events)
            if (e.number == n + 1)
                event = &e;
        const BoardRow& row = board.row(n);
        // A row the leader has no event on is hidden, as on a board read from a file.
        if (!event) {
            if (row.defined || row.visible)
                window.DefineEvent(n, row.name, "", 0);
            continue;
        }
        const Direction direction = event->sign == '+' ? Direction::After : Direction::Before;
        const bool same = row.defined && row.name == event->name &&
                          row.offsetSeconds == event->offsetSeconds &&
                          row.countDirection() == direction;
        if (!same)
            window.DefineEvent(n, event->name, direction == Direction::After ? "+" : "-",
                               std::int32_t(event->offsetSeconds));
    }
}

void Follower::compareClocks(const LeaderMessage& m, const MqttMessage& raw) {
    const std::optional<std::int64_t> ownTrip = m_link.lastPublishRoundTripMs();
    if (!m.brokerRoundTripMs || !ownTrip)
        return;
    const Clock& computer = m_app.ownClock().computer();
    // The message waited a little between the network's thread and this one.
    const std::int64_t arrived =
        computer.unixMs() - (computer.monotonicMs() - raw.receivedMonotonicMs);
    const std::int64_t apart = arrived - m.trueTimeMs;
    m_clock = LeaderClockComparison{apart - (*m.brokerRoundTripMs + *ownTrip), apart, arrived};
}

void Follower::round() {
    const std::int64_t now = m_app.ownClock().computer().monotonicMs();
    if (m_link.connected() &&
        (!m_lastPresenceMonotonicMs || now - *m_lastPresenceMonotonicMs >= PresenceEveryMs))
        sayPresent();
    const bool silent =
        !m_link.connected() ||
        now - m_lastHeardMonotonicMs.value_or(m_startedMonotonicMs) > LeaderSilenceMs ||
        (m_silent && !m_lastHeardMonotonicMs);
    if (silent != m_silent) {
        m_silent = silent;
        showStatus();
    }
}

// Saying so also measures this follower's way to the broker and back.
void Follower::sayPresent() {
    if (!m_where || !m_link.connected())
        return;
    m_lastPresenceMonotonicMs = m_app.ownClock().computer().monotonicMs();
    m_link.publish(m_where->followersTopic(),
                   "{\"client\":" + jsonText(m_clientId) + ",\"true_time_ms\":" +
                       std::to_string(m_app.ownClock().computer().unixMs()) + "}",
                   false);
}

std::string Follower::wallTime(std::int64_t unixMs) const {
    const Clock& computer = m_app.ownClock().computer();
    return formatDate(
        computer.zone().toWall(Instant::fromUnixSeconds(OwnClock::floorDiv(unixMs, 1000))),
        "hh:mm:ss");
}

std::string Follower::statusText() const {
    if (!m_where)
        return {};
    if (m_silent)
        return "Leader not heard since " + wallTime(m_lastHeardMs.value_or(m_startedMs));
    std::string text = "Following " + m_where->shown();
    if (m_clock && m_clock->warns())
        text += ", clock " + seconds(m_clock->estimateMs()) +
                (m_clock->estimateMs() < 0 ? " behind" : " ahead of") + " the leader's";
    return text;
}

bool Follower::statusWarns() const {
    return m_where && (m_silent || (m_clock && m_clock->warns()));
}

void Follower::showStatus() {
    const std::string text = statusText();
    const bool warn = statusWarns();
    // The tip tells the clocks' comparison too: a new one shows though the text stays.
    if (text == m_shownText && warn == m_shownWarn && m_brokerProblem == m_shownProblem &&
        m_clock == m_shownClock)
        return;
    m_shownText = text;
    m_shownWarn = warn;
    m_shownProblem = m_brokerProblem;
    m_shownClock = m_clock;
    std::string tip = "The count of the leader publishing on " +
                      std::string(m_where->tls ? "mqtts://" : "mqtt://") + m_where->host + ":" +
                      std::to_string(m_where->port) + "/" + m_where->topic;
    if (m_lastHeardMs)
        tip += "; last heard at " + wallTime(*m_lastHeardMs);
    if (!m_brokerProblem.empty()) {
        tip += "; the broker: " + m_brokerProblem;
        if (tip.ends_with('.'))
            tip.pop_back();
    }
    if (m_clock)
        tip += "; this clock is " + seconds(m_clock->estimateMs()) +
               (m_clock->estimateMs() < 0 ? " behind" : " ahead of") + " the leader's (+-" +
               seconds((m_clock->highMs - m_clock->lowMs) / 2) + ")";
    m_app.frmOrvane().ShowFollowStatus(text, warn, tip + ".");
}

} // namespace orvane
