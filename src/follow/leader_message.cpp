#include "follow/leader_message.h"

#include "services/json.h"

namespace orvane {

namespace {

std::string syncName(ClockHealth::Sync sync) {
    switch (sync) {
    case ClockHealth::Sync::Synchronised:
        return "synchronised";
    case ClockHealth::Sync::NotSynchronised:
        return "not synchronised";
    case ClockHealth::Sync::Unknown:
        break;
    }
    return "unknown";
}

ClockHealth::Sync syncNamed(const std::string& name) {
    if (name == "synchronised")
        return ClockHealth::Sync::Synchronised;
    if (name == "not synchronised")
        return ClockHealth::Sync::NotSynchronised;
    return ClockHealth::Sync::Unknown;
}

std::string optionalNumber(const std::optional<std::int64_t>& n) {
    return n ? std::to_string(*n) : "null";
}

} // namespace

std::string leaderMessageJson(const LeaderMessage& m) {
    std::string text = remoteStateJson(m.state);
    text.pop_back(); // the state's closing brace: the message's fields follow its own
    text += ",\"run\":" + std::to_string(m.run) + ",\"sequence\":" + std::to_string(m.sequence) +
            ",\"true_time_ms\":" + std::to_string(m.trueTimeMs) +
            ",\"sim_offset_ms\":" + std::to_string(m.simOffsetMs) +
            ",\"broker_round_trip_ms\":" + optionalNumber(m.brokerRoundTripMs) +
            ",\"clock\":{\"sync\":" + jsonText(syncName(m.clockHealth.sync)) +
            ",\"max_error_ms\":" + optionalNumber(m.clockHealth.maxErrorMs) + "}}";
    return text;
}

std::optional<LeaderMessage> parseLeaderMessage(std::string_view text, std::string& error) {
    const std::optional<JsonValue> json = JsonValue::parse(text, error);
    if (!json)
        return std::nullopt;
    if (json->type() != JsonValue::Type::Object) {
        error = "the message is not an object";
        return std::nullopt;
    }
    std::optional<RemoteState> state = remoteStateFromJson(*json, error);
    if (!state)
        return std::nullopt;
    LeaderMessage m;
    m.state = std::move(*state);
    const auto run = (*json)["run"].number();
    const auto sequence = (*json)["sequence"].number();
    const auto trueTime = (*json)["true_time_ms"].number();
    const auto offset = (*json)["sim_offset_ms"].number();
    if (!run || !sequence || !trueTime || !offset) {
        error = "the run, sequence, true time or sim time offset is missing";
        return std::nullopt;
    }
    m.run = *run;
    m.sequence = *sequence;
    m.trueTimeMs = *trueTime;
    m.simOffsetMs = *offset;
    m.brokerRoundTripMs = (*json)["broker_round_trip_ms"].number();
    const JsonValue& clock = (*json)["clock"];
    m.clockHealth.sync = syncNamed(clock["sync"].text().value_or(""));
    m.clockHealth.maxErrorMs = clock["max_error_ms"].number();
    return m;
}

std::string happeningJson(const Happening& h, std::int64_t run, std::int64_t sequence) {
    std::string text = "{\"kind\":" + jsonText(kindName(h.kind)) +
                       ",\"run\":" + std::to_string(run) +
                       ",\"sequence\":" + std::to_string(sequence) +
                       ",\"true_time_ms\":" + std::to_string(h.at.trueMs) +
                       ",\"program_time_ms\":" + std::to_string(h.at.shownMs()) +
                       ",\"shown\":" + jsonText(h.shown.text());
    const auto instantMs = [](const std::optional<Instant>& i) {
        return i ? std::optional<std::int64_t>(i->unixSeconds() * 1000) : std::nullopt;
    };
    if (h.oldLaunch)
        text += ",\"old_launch_ms\":" + optionalNumber(instantMs(h.oldLaunch));
    if (h.newLaunch)
        text += ",\"new_launch_ms\":" + optionalNumber(instantMs(h.newLaunch));
    if (h.heldSeconds)
        text += ",\"held_s\":" + std::to_string(*h.heldSeconds);
    if (h.event)
        text += ",\"event\":{\"number\":" + std::to_string(h.event->number) +
                ",\"name\":" + jsonText(h.event->name) +
                ",\"offset_s\":" + std::to_string(h.event->signedOffset) + "}";
    if (h.oldClockMs)
        text += ",\"old_clock_ms\":" + std::to_string(*h.oldClockMs);
    if (h.newClockMs)
        text += ",\"new_clock_ms\":" + std::to_string(*h.newClockMs);
    switch (h.kind) {
    case Happening::Kind::LaunchWindowSet:
    case Happening::Kind::WindowWarned:
    case Happening::Kind::WindowExpired:
        text += ",\"window\":{\"active\":" + std::string(h.windowActive ? "true" : "false") +
                ",\"text\":" + jsonText(h.windowText) + "}";
        break;
    default:
        break;
    }
    return text + "}";
}

} // namespace orvane
