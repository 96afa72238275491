#include "follow/leader_message.h"

#include "services/json.h"

#include <algorithm>
#include <array>
#include <utility>

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

namespace lim = leader_limits;

// Collects the first field found out of its range.
struct RangeCheck {
    std::string& error;
    void number(std::int64_t value, std::int64_t low, std::int64_t high, const char* field) {
        if (error.empty() && (value < low || value > high))
            error = std::string("the field ") + field + " is out of range";
    }
    void instant(std::int64_t ms, const char* field) {
        number(ms, lim::FirstMs, lim::LastMs, field);
    }
    void optional(const std::optional<std::int64_t>& value, std::int64_t high, const char* field) {
        if (value)
            number(*value, 0, high, field);
    }
    void text(const std::string& value, std::size_t limit, const char* field) {
        if (error.empty() && value.size() > limit)
            error = std::string("the field ") + field + " is too long";
    }
};

// Characters, as the wizard counts them: UTF-8 continuation bytes are not.
std::size_t characters(const std::string& text) {
    std::size_t n = 0;
    for (const char c : text)
        n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}

void checkRanges(const JsonValue& json, const LeaderMessage& m, std::string& error) {
    RangeCheck check{error};
    check.instant(m.run, "run");
    check.number(m.sequence, 1, lim::MaxSequence, "sequence");
    check.instant(m.trueTimeMs, "true_time_ms");
    // Each is in range before they are added.
    check.number(m.simOffsetMs, lim::FirstMs - lim::LastMs, lim::LastMs - lim::FirstMs,
                 "sim_offset_ms");
    if (error.empty())
        check.instant(m.trueTimeMs + m.simOffsetMs, "sim_offset_ms");
    check.optional(m.brokerRoundTripMs, lim::MaxRoundTripMs, "broker_round_trip_ms");
    check.optional(m.clockHealth.maxErrorMs, lim::MaxClockErrorMs, "clock.max_error_ms");
    const RemoteState& s = m.state;
    check.instant(s.serverTimeMs, "server_time_ms");
    check.instant(s.launchTimeMs, "launch_time_ms");
    check.number(s.count.days, 0, lim::MaxDays, "count.days");
    check.number(s.count.hours, 0, 23, "count.hours");
    check.number(s.count.minutes, 0, 59, "count.minutes");
    check.number(s.count.seconds, 0, 59, "count.seconds");
    check.text(s.windowText, lim::MaxTextBytes, "launch_window.text");
    if (error.empty() && s.events.size() > 10)
        error = "there are more than ten events";
    // The numbers as sent, before anything narrowed them; a row is an event's or another's.
    std::array<bool, 10> seen{};
    for (const std::string list : {"events", "rows"})
        for (const JsonValue& item : json[list].items()) {
            const std::int64_t number = item["number"].number().value_or(0);
            check.number(number, 1, 10, (list + ".number").c_str());
            if (error.empty() && std::exchange(seen[std::size_t(number - 1)], true))
                error = "two " + list + " have the number " + std::to_string(number);
        }
    const auto nameFits = [&](const std::string& name, const char* field) {
        if (error.empty() &&
            (characters(name) > lim::MaxNameChars || name.size() > 4 * lim::MaxNameChars))
            error = std::string("the field ") + field + " is too long";
    };
    for (const LeaderRow& row : m.rows.value_or(std::vector<LeaderRow>{}))
        nameFits(row.name, "rows.name");
    for (const RemoteEvent& e : s.events) {
        nameFits(e.name, "events.name");
        check.number(e.offsetSeconds, 0, lim::MaxOffsetSeconds, "events.offset_s");
        check.instant(e.momentMs, "events.moment_ms");
        check.text(e.text, lim::MaxTextBytes, "events.text");
    }
}

std::optional<std::vector<LeaderHappening>> readHappenings(const JsonValue& json,
                                                           std::string& error) {
    if (!json.has("happenings"))
        return std::nullopt;
    const JsonValue& list = json["happenings"];
    if (list.type() != JsonValue::Type::Array) {
        error = "the field happenings is not a list";
        return std::nullopt;
    }
    if (list.items().size() > lim::MaxHappenings) {
        error = "there are more than " + std::to_string(lim::MaxHappenings) + " happenings";
        return std::nullopt;
    }
    std::vector<LeaderHappening> happenings;
    for (const JsonValue& item : list.items()) {
        const auto sequence = item["sequence"].number();
        const auto kind = item["kind"].text();
        if (!sequence || !kind) {
            error = "a happening's number or kind is missing";
            return std::nullopt;
        }
        if (*sequence < 1 || *sequence > lim::MaxSequence ||
            (!happenings.empty() && *sequence <= happenings.back().sequence)) {
            error = "the field happenings.sequence is out of range or out of order";
            return std::nullopt;
        }
        if (kind->size() > lim::MaxKindBytes) {
            error = "the field happenings.kind is too long";
            return std::nullopt;
        }
        const std::string by = item["by"].text().value_or("");
        if (by.size() > lim::MaxDeviceNameBytes || std::any_of(by.begin(), by.end(), [](char c) {
                return static_cast<unsigned char>(c) < 32 || c == 127;
            })) {
            error = "the field happenings.by is too long or holds a control character";
            return std::nullopt;
        }
        happenings.push_back({*sequence, *kind, {}, by});
    }
    return happenings;
}

// Each field is read as it is there; a message without the list is an older leader's.
std::optional<std::vector<LeaderRow>> readRows(const JsonValue& json, std::string& error) {
    const JsonValue& list = json["rows"];
    if (!json.has("rows"))
        return std::nullopt;
    if (list.type() != JsonValue::Type::Array) {
        error = "the field rows is not a list";
        return std::nullopt;
    }
    std::vector<LeaderRow> rows;
    for (const JsonValue& item : list.items()) {
        const auto number = item["number"].number();
        const auto name = item["name"].text();
        const auto visible = item["visible"].boolean();
        if (!number || !name || !visible) {
            error = "a row's number, name or visibility is missing";
            return std::nullopt;
        }
        rows.push_back({int(std::clamp<std::int64_t>(*number, 0, 11)), *name, *visible});
    }
    return rows;
}

// The message as a JSON object, or empty with the reason in ERROR.
std::optional<JsonValue> parseObject(std::string_view text, std::string& error) {
    error.clear();
    std::optional<JsonValue> json = JsonValue::parse(text, error);
    if (json && json->type() != JsonValue::Type::Object) {
        error = "the message is not an object";
        return std::nullopt;
    }
    return json;
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
            ",\"max_error_ms\":" + optionalNumber(m.clockHealth.maxErrorMs) + "}";
    if (m.rows) {
        text += ",\"rows\":[";
        for (const LeaderRow& row : *m.rows)
            text += std::string(&row == m.rows->data() ? "" : ",") +
                    "{\"number\":" + std::to_string(row.number) +
                    ",\"name\":" + jsonText(row.name) +
                    ",\"visible\":" + (row.visible ? "true" : "false") + "}";
        text += "]";
    }
    if (m.happenings) {
        text += ",\"happenings\":[";
        for (const LeaderHappening& h : *m.happenings)
            text += std::string(&h == m.happenings->data() ? "" : ",") +
                    (h.json.empty() ? "{\"kind\":" + jsonText(h.kind) +
                                          ",\"sequence\":" + std::to_string(h.sequence) + "}"
                                    : h.json);
        text += "]";
    }
    return text + "}";
}

std::optional<std::vector<LeaderHappening>> parseLeaderHappenings(std::string_view text,
                                                                  std::string& error) {
    const std::optional<JsonValue> json = parseObject(text, error);
    if (!json)
        return std::nullopt;
    return readHappenings(*json, error);
}

std::optional<LeaderMessage> parseLeaderMessage(std::string_view text, std::string& error) {
    const std::optional<JsonValue> json = parseObject(text, error);
    if (!json)
        return std::nullopt;
    std::optional<RemoteState> state = remoteStateFromJson(*json, error);
    if (!state)
        return std::nullopt;
    LeaderMessage m;
    m.state = std::move(*state);
    m.state.notHeard.reset(); // a follower's own word, never a leader's
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
    m.rows = readRows(*json, error);
    if (error.empty())
        m.happenings = readHappenings(*json, error);
    if (!error.empty())
        return std::nullopt;
    checkRanges(*json, m, error);
    if (!error.empty())
        return std::nullopt;
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
    if (!h.by.empty())
        text += ",\"by\":" + jsonText(h.by);
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
