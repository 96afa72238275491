#include "remote/remote_state.h"
#include "services/json.h"

namespace orvane {

namespace {

std::string sign(char c) {
    return std::string("\"") + c + '"';
}

std::string boolean(bool b) {
    return b ? "true" : "false";
}

// Reads the fields of one object, remembering the first one missing or of another kind.
class Fields {
  public:
    Fields(const JsonValue& object, std::string& error) : m_object(object), m_error(error) {}

    std::int64_t number(std::string_view key) {
        if (const auto n = m_object[key].number())
            return *n;
        missing(key);
        return 0;
    }
    bool boolean(std::string_view key) {
        if (const auto b = m_object[key].boolean())
            return *b;
        missing(key);
        return false;
    }
    std::string text(std::string_view key) {
        if (auto t = m_object[key].text())
            return std::move(*t);
        missing(key);
        return {};
    }
    char sign(std::string_view key) {
        const std::string t = text(key);
        if (t == "+" || t == "-")
            return t.front();
        missing(key);
        return '-';
    }
    bool ok() const { return m_error.empty(); }

  private:
    void missing(std::string_view key) {
        if (m_error.empty())
            m_error = "the field " + std::string(key) + " is missing or not of its kind";
    }
    const JsonValue& m_object;
    std::string& m_error;
};

} // namespace

// The plan goes last, and only with one: a state without a plan is written as it always was.
std::string planJson(const std::optional<RemotePlan>& plan) {
    if (!plan)
        return {};
    return ",\"plan\":{\"liftoff_ms\":" + std::to_string(plan->liftoffMs) +
           ",\"l_count\":" + jsonText(plan->lCount) + ",\"built_in_hold\":" +
           (plan->holdLabel ? "{\"label\":" + jsonText(*plan->holdLabel) +
                                  ",\"left_s\":" + std::to_string(plan->holdLeftSeconds) + "}"
                            : std::string("null")) +
           "}";
}

std::string remoteStateJson(const RemoteState& s) {
    std::string events;
    for (const RemoteEvent& e : s.events) {
        if (!events.empty())
            events += ',';
        events += "{\"number\":" + std::to_string(e.number) + ",\"name\":" + jsonText(e.name) +
                  ",\"sign\":" + sign(e.sign) + ",\"offset_s\":" + std::to_string(e.offsetSeconds) +
                  ",\"moment_ms\":" + std::to_string(e.momentMs) + ",\"text\":" + jsonText(e.text) +
                  '}';
    }
    return "{\"server_time_ms\":" + std::to_string(s.serverTimeMs) +
           ",\"launch_time_ms\":" + std::to_string(s.launchTimeMs) +
           ",\"holding\":" + boolean(s.holding) + ",\"count\":{\"sign\":" + sign(s.count.sign) +
           ",\"days\":" + std::to_string(s.count.days) +
           ",\"hours\":" + std::to_string(s.count.hours) +
           ",\"minutes\":" + std::to_string(s.count.minutes) +
           ",\"seconds\":" + std::to_string(s.count.seconds) +
           "},\"launch_window\":{\"active\":" + boolean(s.windowActive) +
           ",\"text\":" + jsonText(s.windowText) +
           (s.windowLeftSeconds ? ",\"left_s\":" + std::to_string(*s.windowLeftSeconds) : "") +
           "},\"events\":[" + events + "]" +
           (s.notHeard ? ",\"not_heard\":" + jsonText(*s.notHeard) : "") + planJson(s.plan) +
           "}";
}

std::optional<RemoteState> remoteStateFromJson(const JsonValue& object, std::string& error) {
    RemoteState s;
    Fields top(object, error);
    s.serverTimeMs = top.number("server_time_ms");
    s.launchTimeMs = top.number("launch_time_ms");
    s.holding = top.boolean("holding");
    Fields count(object["count"], error);
    s.count.sign = count.sign("sign");
    s.count.days = count.number("days");
    s.count.hours = count.number("hours");
    s.count.minutes = count.number("minutes");
    s.count.seconds = count.number("seconds");
    Fields window(object["launch_window"], error);
    s.windowActive = window.boolean("active");
    s.windowText = window.text("text");
    if (const auto left = object["launch_window"]["left_s"].number();
        left && *left >= 0 && *left < 86400)
        s.windowLeftSeconds = *left;
    if (object["events"].type() != JsonValue::Type::Array && error.empty())
        error = "the field events is missing or not of its kind";
    for (const JsonValue& item : object["events"].items()) {
        Fields e(item, error);
        RemoteEvent event;
        event.number = int(e.number("number"));
        event.name = e.text("name");
        event.sign = e.sign("sign");
        event.offsetSeconds = e.number("offset_s");
        event.momentMs = e.number("moment_ms");
        event.text = e.text("text");
        if (error.empty() && (event.number < 1 || event.number > 10 || event.offsetSeconds < 0))
            error = "an event's number or offset is out of range";
        s.events.push_back(std::move(event));
    }
    s.notHeard = object["not_heard"].text();
    // A leader that runs no plan, or an older one, sends none.
    if (const JsonValue& p = object["plan"]; p.type() == JsonValue::Type::Object) {
        Fields plan(p, error);
        RemotePlan read;
        read.liftoffMs = plan.number("liftoff_ms");
        read.lCount = plan.text("l_count");
        if (p["built_in_hold"].type() == JsonValue::Type::Object) {
            Fields hold(p["built_in_hold"], error);
            read.holdLabel = hold.text("label");
            read.holdLeftSeconds = hold.number("left_s");
        }
        s.plan = std::move(read);
    }
    if (!error.empty())
        return std::nullopt;
    return s;
}

} // namespace orvane
