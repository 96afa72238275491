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
    // Until the leader is heard the board has no rows of its own to count: they show as the
    // leader's do once it is.
    frmEventTimers& board = m_app.frmEventTimers();
    board.setFollowing();
    for (int n = 0; n < 10; ++n)
        if (const BoardRow& row = m_app.board().row(n); row.defined || row.visible)
            board.DefineEvent(n, row.name, "", 0);
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

// Kept, and read at once unless MessagesReadASecond were read in the last second: then in
// the first round after that second.
void Follower::received(const MqttMessage& raw) {
    if (!m_where || raw.topic != m_where->topic)
        return;
    m_waiting = raw;
    takeWaiting();
}

void Follower::takeWaiting() {
    const std::int64_t now = m_app.ownClock().computer().monotonicMs();
    if (!m_waiting || (m_taken.size() == MessagesReadASecond && now - m_taken.front() < 1000))
        return;
    m_taken.push_back(now);
    if (m_taken.size() > MessagesReadASecond)
        m_taken.pop_front();
    const MqttMessage message = std::move(*m_waiting);
    m_waiting.reset();
    take(message);
}

void Follower::take(const MqttMessage& raw) {
    std::string error;
    const std::optional<LeaderMessage> message =
        raw.droppedBytes ? std::nullopt : parseLeaderMessage(raw.payload, error);
    if (!message) {
        unreadable(raw.droppedBytes
                       ? "it is larger than " + std::to_string(MqttMessageLimit / 1024) + " KiB"
                       : error);
        return;
    }
    m_readProblem.clear();
    if (!fromLeader(*message, raw)) {
        showStatus();
        return;
    }
    const bool first = !m_sequence;
    const bool newer = message->run != m_run || message->sequence > m_sequence;
    // A kept message that is not newer than the last says nothing of the leader now: it may
    // have gone while the broker kept its last word.
    if (!raw.retained || newer) {
        m_lastHeardMs = m_app.ownClock().computer().unixMs();
        m_lastHeardMonotonicMs = raw.receivedMonotonicMs;
        m_silent = false;
    }
    if (newer || first)
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

// Whether to take M as the leader's word. A leader never goes back: not to an earlier
// message of its run, nor, once restarted, to its old run. Either is a second publisher on the
// topic, so both are taken as they come (either may be the real leader, and a forged message
// cannot lock the real one out) but warned of until LeaderRestartMs passes without another.
// What the broker kept and hands on at connecting is older news, and only taken when new.
bool Follower::fromLeader(const LeaderMessage& m, const MqttMessage& raw) {
    if (!m_sequence || (m.run == m_run && m.sequence > m_sequence))
        return true;
    if (m.run == m_run && m.sequence == m_sequence)
        return false; // the same message again
    const bool goesBack = m.run == m_run || (m_oldRun && m.run == *m_oldRun);
    if (raw.retained && goesBack)
        return false;
    if (goesBack && !raw.retained)
        m_twoLeadersUntilMs = raw.receivedMonotonicMs + LeaderRestartMs;
    if (m.run != m_run)
        m_oldRun = m_run;
    m_sequence = 0; // a run, or a sequence, to go on from
    return true;
}

// Said once, in the status bar and on standard error, until a message can be read again.
void Follower::unreadable(const std::string& why) {
    ++m_unread;
    const std::string text = "A message on " + m_where->topic + " could not be read: " + why;
    if (text == m_readProblem)
        return;
    m_readProblem = text;
    std::fprintf(stderr, "%s\n", text.c_str());
    showStatus();
}

void Follower::apply(const LeaderMessage& m) {
    const bool sameRun = m_sequence && m.run == m_run;
    m_run = m.run;
    m_sequence = m.sequence;
    applyClockOffset(m.simOffsetMs);
    if (m.happenings)
        replayHappenings(*m.happenings, sameRun);
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
    // The leader's plan is shown as it tells it; the follower runs none of its own.
    std::optional<LeaderPlan> plan;
    if (const auto& p = m.state.plan)
        plan = LeaderPlan{OwnClock::floorDiv(p->liftoffMs, 1000), p->holdLabel, p->holdLeftSeconds,
                          OwnClock::floorDiv(m.state.serverTimeMs, 1000), m.state.holding};
    m_app.launchState().setLeaderPlan(std::move(plan));
    m_app.frmOrvane().FollowLeader(leader);
    applyEvents(m);
}

// A hold and a resume between two messages read leave the state as it was: the follower
// holds and resumes as the leader did, so that each is told (and recorded) once. What the
// first message of a run carries is history, told by the leader when it happened.
void Follower::replayHappenings(const std::vector<LeaderHappening>& happenings, bool sameRun) {
    frmOrvane& main = m_app.frmOrvane();
    const std::int64_t last = sameRun ? m_lastHappening : 0;
    m_lastHappening = happenings.empty() ? last : happenings.back().sequence;
    if (!sameRun || !main.hasLaunchTime())
        return;
    for (const LeaderHappening& h : happenings) {
        const bool hold = h.kind == kindName(Happening::Kind::Hold);
        if (h.sequence <= last || (!hold && h.kind != kindName(Happening::Kind::Resume)) ||
            hold == main.held())
            continue;
        frmOrvane::Followed step;
        step.launch = main.launchMoment();
        step.held = hold;
        step.windowActive = main.launchWindow().active;
        // A paired device's command is shown and recorded with its name here too.
        m_app.setCommandBy(h.by);
        main.FollowLeader(step);
        m_app.setCommandBy({});
    }
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
void Follower::applyEvents(const LeaderMessage& message) {
    const RemoteState& state = message.state;
    frmEventTimers& window = m_app.frmEventTimers();
    window.setFollowing();
    const Board& board = m_app.board();
    const std::vector<LeaderRow> rows = message.rows.value_or(std::vector<LeaderRow>{});
    for (int n = 0; n < 10; ++n) {
        const RemoteEvent* event = nullptr;
        for (const RemoteEvent& e : state.events)
            if (e.number == n + 1)
                event = &e;
        const BoardRow& row = board.row(n);
        if (!event) {
            const LeaderRow* other = nullptr;
            for (const LeaderRow& r : rows)
                if (r.number == n + 1)
                    other = &r;
            // A row the leader has no event on shows as the leader's does; an older leader
            // does not say, and the row is hidden, as on a board read from a file.
            if (row.defined)
                window.DefineEvent(n, row.name, "", 0);
            if (other && (row.defined || row.name != other->name || row.visible != other->visible))
                window.RestoreEventRow(n, other->name, std::nullopt, other->visible);
            else if (!other && row.visible)
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
    takeWaiting();
    if (m_twoLeadersUntilMs && now >= *m_twoLeadersUntilMs) {
        m_twoLeadersUntilMs.reset();
        showStatus();
    }
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
    if (m_silent && m_lastHeardMs)
        return "Leader not heard since " + wallTime(*m_lastHeardMs);
    if (!m_readProblem.empty())
        return m_readProblem;
    if (m_twoLeadersUntilMs)
        return "Two leaders publish on " + m_where->topic;
    // Never heard: what the broker said instead, else only that.
    if (m_silent || !m_lastHeardMs) {
        std::string why = m_brokerProblem;
        if (why.ends_with('.'))
            why.pop_back();
        return why.empty() ? "Leader not heard yet" : "Leader not heard yet: " + why;
    }
    std::string text = "Following " + m_where->shown();
    if (m_clock && m_clock->warns())
        text += ", clock " + seconds(m_clock->estimateMs()) +
                (m_clock->estimateMs() < 0 ? " behind" : " ahead of") + " the leader's";
    return text;
}

bool Follower::statusWarns() const {
    return m_where && (m_silent || !m_readProblem.empty() || m_twoLeadersUntilMs ||
                       (m_clock && m_clock->warns()));
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
    if (m_unread)
        tip += "; " + std::to_string(m_unread) + " messages could not be read";
    if (m_clock)
        tip += "; this clock is " + seconds(m_clock->estimateMs()) +
               (m_clock->estimateMs() < 0 ? " behind" : " ahead of") + " the leader's (+-" +
               seconds((m_clock->highMs - m_clock->lowMs) / 2) + ")";
    m_app.frmOrvane().ShowFollowStatus(text, warn, tip + ".");
}

} // namespace orvane
