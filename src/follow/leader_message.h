#pragma once

// What a leader publishes: its state as the remote displays' /state.json gives it, with the
// message's place in the leader's run, the leader's clocks and its clock's health; and each
// happening as it happens.

#include "happenings.h"
#include "remote/remote_state.h"
#include "services/clock_health.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orvane {

// A row of the leader's board with no event on it, as the leader shows it.
struct LeaderRow {
    int number = 1; // 1 to 10
    std::string name;
    bool visible = true;
    bool operator==(const LeaderRow&) const = default;
};

// One of the leader's last happenings, as its state message carries them: a follower that
// skipped messages (it reads only a few a second) still learns of each, once, by its number.
struct LeaderHappening {
    LeaderHappening(std::int64_t sequence = 0, std::string kind = {}, std::string json = {},
                    std::string by = {})
        : sequence(sequence), kind(std::move(kind)), json(std::move(json)), by(std::move(by)) {}
    // Counts the leader's happenings of its run from 1, as they go out on TOPIC/happenings.
    std::int64_t sequence = 0;
    std::string kind; // as kindName() names it
    // The happening as it went out, written in its place; empty: the number and kind alone.
    std::string json;
    // The paired device that gave the command, by its name (added later: an older leader
    // sends none); empty for the leader's own controls.
    std::string by;
    bool operator==(const LeaderHappening& o) const {
        return sequence == o.sequence && kind == o.kind;
    }
};

struct LeaderMessage {
    // The leader's run, by the true time it began publishing: a follower tells a restarted
    // leader from old messages of the last run.
    std::int64_t run = 0;
    // Counts the leader's messages of this run from 1.
    std::int64_t sequence = 0;
    // The leader's computer's clock when the message was made, in Unix milliseconds.
    std::int64_t trueTimeMs = 0;
    // How far the leader's program clock runs from that (a simulated time the program keeps
    // itself); state.serverTimeMs is trueTimeMs plus this.
    std::int64_t simOffsetMs = 0;
    // How long the leader's last acknowledged message took to the broker and back, when known.
    std::optional<std::int64_t> brokerRoundTripMs;
    ClockHealth clockHealth;
    RemoteState state;
    // The board's other rows, so that a follower's board shows all that the leader's does
    // (added later: an older leader leaves them out, and its followers hide such rows).
    std::optional<std::vector<LeaderRow>> rows;
    // The leader's last happenings, at most MaxHappenings, oldest first (added later, as rows).
    std::optional<std::vector<LeaderHappening>> happenings;
};

// What a leader can say, and so all a follower takes: the dates the program shows (the years
// 100 to 9999), a count and offsets within them, at most ten events numbered 1 to 10 with
// names as the wizard allows. Every number is checked before any arithmetic on it.
namespace leader_limits {
inline constexpr std::int64_t FirstMs = -59'011'459'200'000; // 100-01-01 00:00:00 UTC
inline constexpr std::int64_t LastMs = 253'402'300'799'999;  // 9999-12-31 23:59:59.999 UTC
inline constexpr std::int64_t MaxDays = 3'652'425;           // 10,000 years
inline constexpr std::int64_t MaxSequence = (std::int64_t(1) << 53) - 1;
inline constexpr std::int64_t MaxOffsetSeconds = 2'147'483'647; // as the board keeps it
inline constexpr std::size_t MaxNameChars = 30;
inline constexpr std::size_t MaxTextBytes = 100;
inline constexpr std::int64_t MaxRoundTripMs = 3'600'000;
inline constexpr std::int64_t MaxClockErrorMs = 86'400'000;
inline constexpr std::size_t MaxHappenings = 16;
inline constexpr std::size_t MaxKindBytes = 40;
inline constexpr std::size_t MaxDeviceNameBytes = 160; // 40 characters of UTF-8
} // namespace leader_limits

std::string leaderMessageJson(const LeaderMessage& message);
// Empty, with the reason in ERROR, for a text that is not such a message or says what no
// leader can.
std::optional<LeaderMessage> parseLeaderMessage(std::string_view text, std::string& error);

// The happenings a state message carries, from the message's text; empty, with the reason in
// ERROR, when the text is not an object or its list is not one a leader can send, and empty
// with no error when there is none (an older leader's). Each is checked: at most MaxHappenings,
// numbered within the sequences' range, each after the one before.
std::optional<std::vector<LeaderHappening>> parseLeaderHappenings(std::string_view text,
                                                                  std::string& error);

// One happening as it goes out on TOPIC/happenings. Files' paths stay on the leader's
// computer.
std::string happeningJson(const Happening& happening, std::int64_t run, std::int64_t sequence);

} // namespace orvane
