#include "platform/value.h"

#include <cstdio>

namespace orvane {

std::string quoteText(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            out += c;
        }
    }
    out += '"';
    return out;
}

std::string formatColour(Color c) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "&H%08X", unsigned(c));
    return buf;
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
    return formatColour(colourValue());
}

} // namespace orvane
