#pragma once

// The reading of property texts that every kind of control shares: numbers, truth values and
// the message for a text a property cannot take.

#include "platform/controls.h"

#include <optional>
#include <string>
#include <string_view>

namespace orvane::detail {

inline std::optional<std::int64_t> parseInt(std::string_view text) {
    return parseWholeNumber(text);
}

inline std::optional<bool> parseBool(std::string_view t) {
    if (t == "True" || t == "true" || t == "TRUE" || t == "1" || t == "-1")
        return true;
    if (t == "False" || t == "false" || t == "FALSE" || t == "0")
        return false;
    return std::nullopt;
}

inline SetResult badValue(std::string_view prop, std::string_view text) {
    return SetResult::fail("cannot set " + std::string(prop) + " to \"" + std::string(text) + "\"");
}

template <class F> SetResult withInt(std::string_view prop, std::string_view text, F&& f) {
    auto n = parseInt(text);
    if (!n)
        return badValue(prop, text);
    f(int(*n));
    return {};
}

template <class F> SetResult withBool(std::string_view prop, std::string_view text, F&& f) {
    auto b = parseBool(text);
    if (!b)
        return badValue(prop, text);
    f(*b);
    return {};
}

} // namespace orvane::detail
