#include "toolkit/quoting.h"

namespace orvane {

void appendQuoted(std::string& out, std::string_view text) {
    out += '"';
    for (const char c : text) {
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
}

std::string quoteText(std::string_view text) {
    std::string out;
    appendQuoted(out, text);
    return out;
}

} // namespace orvane
