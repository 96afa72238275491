#pragma once

// What a leader publishes: its state as the remote displays' /state.json gives it, with the
// message's place in the leader's run, the leader's clocks and its clock's health; and each
// happening as it happens.

#include "happenings.h"
#include "services/clock_health.h"
#include "remote/remote_state.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orvane {

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
};

std::string leaderMessageJson(const LeaderMessage& message);
// Empty, with the reason in ERROR, for a text that is not such a message.
std::optional<LeaderMessage> parseLeaderMessage(std::string_view text, std::string& error);

// One happening as it goes out on TOPIC/happenings. Files' paths stay on the leader's
// computer.
std::string happeningJson(const Happening& happening, std::int64_t run, std::int64_t sequence);

} // namespace orvane
