#include "events/frmEventTimers.h"

#include "dates/datetime.h"

#include <limits>
#include <optional>

namespace orvane {

namespace {

enum class Family { Secs, Plus, Tag, Hold };

struct RecordField {
    Family family;
    int event;
};

// "Secs3" is the Secs family of event 3.
std::optional<RecordField> parseField(std::string_view prop) {
    static constexpr std::pair<std::string_view, Family> families[] = {{"Secs", Family::Secs},
                                                                       {"Plus", Family::Plus},
                                                                       {"Tag", Family::Tag},
                                                                       {"Hold", Family::Hold}};
    for (const auto& [prefix, family] : families) {
        if (prop.size() == prefix.size() + 1 && prop.substr(0, prefix.size()) == prefix) {
            const char digit = prop.back();
            if (digit >= '0' && digit <= '9')
                return RecordField{family, digit - '0'};
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<PropValue> frmEventTimers::recordProperty(std::string_view record,
                                                        std::string_view prop) const {
    auto field = parseField(prop);
    if (record != "EventData" || !field)
        return Form::recordProperty(record, prop);
    const CTimeData& data = EventData();
    switch (field->family) {
    case Family::Secs:
        return PropValue(std::int64_t(data.Secs(field->event)));
    case Family::Plus:
        return data.Plus(field->event);
    case Family::Tag:
        return data.Tag(field->event);
    case Family::Hold:
        return data.Hold(field->event);
    }
    return std::nullopt;
}

SetResult frmEventTimers::setRecordProperty(std::string_view record, std::string_view prop,
                                            std::string_view text) {
    if (record != "EventData")
        return Form::setRecordProperty(record, prop, text);
    auto field = parseField(prop);
    if (!field)
        return SetResult::fail("EventData has no property " + std::string(prop));
    CTimeData& data = EventData();
    switch (field->family) {
    case Family::Secs: {
        auto n = parseWholeNumber(text);
        if (!n || *n < std::numeric_limits<std::int32_t>::min() ||
            *n > std::numeric_limits<std::int32_t>::max())
            return SetResult::fail("cannot set " + std::string(prop) + " to \"" +
                                   std::string(text) + "\": not a 32-bit whole number");
        data.setSecs(field->event, std::int32_t(*n));
        break;
    }
    case Family::Plus:
        data.setPlus(field->event, std::string(text));
        break;
    case Family::Tag:
        data.setTag(field->event, std::string(text));
        break;
    case Family::Hold:
        data.setHold(field->event, std::string(text));
        break;
    }
    return {};
}

} // namespace orvane
