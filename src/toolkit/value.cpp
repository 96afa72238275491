#include "toolkit/value.h"

#include "dates/datetime.h"
#include "toolkit/quoting.h"

#include <charconv>
#include <cstdio>

namespace orvane {

std::string formatColor(Color c) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "&H%08X", unsigned(c));
    return buf;
}

std::optional<Color> parseColor(std::string_view t) {
    if (t.size() > 2 && (t.substr(0, 2) == "&H" || t.substr(0, 2) == "&h")) {
        t.remove_prefix(2);
        if (!t.empty() && t.back() == '&')
            t.remove_suffix(1);
        unsigned long v = 0;
        auto [p, ec] = std::from_chars(t.data(), t.data() + t.size(), v, 16);
        if (ec != std::errc() || p != t.data() + t.size() || v > 0xFFFFFFFFul)
            return std::nullopt;
        return Color(v);
    }
    if (auto n = parseWholeNumber(t); n && *n >= 0 && *n <= 0xFFFFFFFF)
        return Color(*n);
    return std::nullopt;
}

std::string PropValue::print() const {
    if (isEmpty())
        return "Empty";
    if (isText())
        return quoteText(text());
    if (isNumber())
        return std::to_string(number());
    if (isBool())
        return boolean() ? "True" : "False";
    return formatColor(colorValue());
}

} // namespace orvane
