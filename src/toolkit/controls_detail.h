#pragma once

// How the property tables read and assign a property: one row names a getter and a setter,
// and the type they take says how its text is read (a text as it is, a whole number, a truth
// value or a colour).

#include "toolkit/controls.h"

#include <optional>
#include <string>
#include <string_view>
#include <type_traits>

namespace orvane::detail {

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

template <class T> std::optional<T> fromText(std::string_view text) {
    if constexpr (std::is_same_v<T, std::string>) {
        return std::string(text);
    } else if constexpr (std::is_same_v<T, bool>) {
        return parseBool(text);
    } else if constexpr (std::is_same_v<T, Color>) {
        return parseColor(text);
    } else {
        static_assert(std::is_same_v<T, int>);
        if (auto n = parseWholeNumber(text))
            return int(*n);
        return std::nullopt;
    }
}

template <class M> struct Member;
template <class C, class R> struct Member<R (C::*)() const> {
    using Class = C;
    using Type = std::remove_cvref_t<R>;
};
template <class C, class A> struct Member<void (C::*)(A)> {
    using Class = C;
    using Type = std::remove_cvref_t<A>;
};

template <auto Get> PropValue get(const Control& c) {
    using M = Member<decltype(Get)>;
    const auto& value = (static_cast<const typename M::Class&>(c).*Get)();
    if constexpr (std::is_same_v<typename M::Type, Color>)
        return PropValue::color(value);
    else
        return PropValue(value);
}

template <auto Set> SetResult set(Control& c, std::string_view name, std::string_view text) {
    using M = Member<decltype(Set)>;
    auto value = fromText<typename M::Type>(text);
    if (!value)
        return badValue(name, text);
    (static_cast<typename M::Class&>(c).*Set)(std::move(*value));
    return {};
}

// Every control's properties, which each kind's table extends.
extern const PropertyTable controlProperties;

// A row for a property with a getter and a setter: row<&Label::caption, &Label::setCaption>.
template <auto Get, auto Set> constexpr Property row(std::string_view name) {
    return {name, &get<Get>, &set<Set>};
}
// A row for a property that can only be read.
template <auto Get> constexpr Property readOnly(std::string_view name) {
    return {name, &get<Get>, nullptr};
}

} // namespace orvane::detail
