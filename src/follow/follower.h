#pragma once

// A follower shows a leader's count in its own windows: the leader's launch time, holds,
// launch window and events, counted on its own clock run at the leader's sim time offset, so
// its seconds turn with its own clock and nothing waits on the network. Its status bar says
// whom it follows, or since when the leader has not been heard: at once when the broker's
// connection drops, else after LeaderSilenceMs without a message (a leader speaks at least
// once a minute). It catches up by itself with the next message.
//
// Each fresh message (not one the broker kept) also compares this computer's clock with the
// leader's. The leader's true time was read when the message was made; between that and its
// arrival here lie the way to the broker and the way from it. The leader says how long its
// last acknowledged message took to the broker and back, and this follower measures the same
// for itself (it says it is there every PresenceEveryMs): each way's time is at most its round
// trip, so the difference of the two clocks lies within a range as wide as the two round trips.
// The warning shows only when the whole range lies beyond LeaderClockLimitMs.
//
// Nothing on the wire can hold the count up: taking a message in only keeps it, replacing any
// kept before, and at most MessagesReadASecond are read and applied in any second (one kept
// beyond that waits for the first round after it), so a flood of any rate costs a few
// applications a second, and the journal's records from the wire at most what those make. A message
// that cannot be read, or says what no leader can, is dropped whole, counted, and said in the
// status bar.
//
// The leader is whoever publishes the latest run: a new run is the leader restarted. A run
// that comes back after another, or a sequence that goes back, is a second publisher: the
// follower takes what comes last, as the broker delivers it, and warns in amber until
// LeaderRestartMs pass without another such message.

#include "follow/mqtt_address.h"
#include "happenings.h"
#include "services/clock_health.h"
#include "services/mqtt.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace orvane {

class App;
struct LeaderHappening;
struct LeaderMessage;
struct RemoteState;

inline constexpr std::int64_t LeaderSilenceMs = 75'000;
inline constexpr std::int64_t LeaderClockLimitMs = 500;
inline constexpr std::int64_t PresenceEveryMs = 30'000;
inline constexpr std::size_t MessagesReadASecond = 4;
inline constexpr std::int64_t LeaderRestartMs = 10'000;

// How far this computer's clock runs ahead of the leader's (negative: behind), as a range.
struct LeaderClockComparison {
    std::int64_t lowMs = 0;
    std::int64_t highMs = 0;
    // This computer's clock when the message arrived, in Unix milliseconds.
    std::int64_t atMs = 0;

    // The middle of the range.
    std::int64_t estimateMs() const { return lowMs + (highMs - lowMs) / 2; }
    // Certainly more than half a second apart.
    bool warns() const { return lowMs > LeaderClockLimitMs || highMs < -LeaderClockLimitMs; }
    bool operator==(const LeaderClockComparison&) const = default;
};

class Follower {
  public:
    Follower(App& app, MqttLink& link);
    ~Follower();
    Follower(const Follower&) = delete;
    Follower& operator=(const Follower&) = delete;

    // Follows WHERE through the broker as SERVER gives it.
    void start(const MqttAddress& where, const MqttServer& server);

    const std::optional<MqttAddress>& address() const { return m_where; }
    // No message for LeaderSilenceMs, or no connection to the broker.
    bool leaderSilent() const { return m_silent; }
    // When the leader was last heard (this computer's clock, Unix ms); empty before the first.
    std::optional<std::int64_t> lastHeardMs() const { return m_lastHeardMs; }
    // The leader's run and its last message applied.
    std::int64_t leaderRun() const { return m_run; }
    std::int64_t leaderSequence() const { return m_sequence; }
    // The last comparison of this computer's clock with the leader's, and the leader's own
    // reading of its clock's health; empty until a message told them.
    const std::optional<LeaderClockComparison>& leaderClock() const { return m_clock; }
    const std::optional<ClockHealth>& leaderClockHealth() const { return m_leaderHealth; }
    // Told after leaderClock() or leaderClockHealth() changed.
    std::function<void()> onLeaderClock;
    // Told when the broker connection comes or goes, with the broker's or the network's words
    // for a failure.
    std::function<void(bool connected, const std::string& why)> onConnection;

    // Messages dropped because they could not be read, or said what no leader can.
    std::int64_t unreadMessages() const { return m_unread; }
    // Messages of another publisher of the topic seen within LeaderRestartMs of the leader's.
    bool twoLeaders() const { return m_twoLeadersUntilMs.has_value(); }

    // What the status bar shows now, and whether in amber.
    std::string statusText() const;
    bool statusWarns() const;

  private:
    void connectionChanged(bool connected);
    void received(const MqttMessage& message);
    void takeWaiting();
    void take(const MqttMessage& message);
    bool fromLeader(const LeaderMessage& message, const MqttMessage& raw);
    void unreadable(const std::string& why);
    void apply(const LeaderMessage& message);
    void applyClockOffset(std::int64_t offsetMs);
    void replayHappenings(const std::vector<LeaderHappening>& happenings, bool sameRun);
    void applyEvents(const LeaderMessage& message);
    void compareClocks(const LeaderMessage& message, const MqttMessage& raw);
    void round();
    void sayPresent();
    void showStatus();
    std::string wallTime(std::int64_t unixMs) const;

    App& m_app;
    MqttLink& m_link;
    std::optional<MqttAddress> m_where;
    std::string m_clientId;
    bool m_silent = false;
    std::int64_t m_startedMs = 0;
    std::int64_t m_startedMonotonicMs = 0;
    std::optional<std::int64_t> m_lastHeardMs;
    std::optional<std::int64_t> m_lastHeardMonotonicMs;
    std::optional<std::int64_t> m_lastPresenceMonotonicMs;
    std::int64_t m_run = 0;
    std::int64_t m_sequence = 0;
    std::int64_t m_lastHappening = 0;     // the leader's last happening accounted for
    std::optional<MqttMessage> m_waiting; // the latest message not read yet
    std::deque<std::int64_t> m_taken;     // monotonic ms of the last messages read
    std::int64_t m_unread = 0;
    std::string m_readProblem; // the last message's, while the next cannot be read either
    std::optional<std::int64_t> m_twoLeadersUntilMs; // monotonic
    std::optional<std::int64_t> m_oldRun;            // the run before the leader's latest
    std::optional<LeaderClockComparison> m_clock;
    std::optional<ClockHealth> m_leaderHealth;
    std::string m_brokerProblem;
    std::string m_shownProblem;
    std::string m_shownText;
    bool m_shownWarn = false;
    std::optional<LeaderClockComparison> m_shownClock;
    Subscription m_rounds;
};

} // namespace orvane
