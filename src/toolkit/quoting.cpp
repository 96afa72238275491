#include "toolkit/quoting.h"

namespace orvane {

std::string_view backslashEscape(char c, std::string_view taken) {
    if (taken.find(c) == std::string_view::npos)
        return {};
    switch (c) {
    case '"':
        return "\\\"";
    case '\\':
        return "\\\\";
    case '\b':
        return "\\b";
    case '\f':
        return "\\f";
    case '\n':
        return "\\n";
    case '\r':
        return "\\r";
    case '\t':
        return "\\t";
    default:
        return {};
    }
}

char backslashUnescape(char letter, std::string_view taken) {
    if (letter == '\0' || taken.find(letter) == std::string_view::npos)
        return 0;
    switch (letter) {
    case '"':
    case '\\':
    case '/':
        return letter;
    case 'b':
        return '\b';
    case 'f':
        return '\f';
    case 'n':
        return '\n';
    case 'r':
        return '\r';
    case 't':
        return '\t';
    default:
        return 0;
    }
}

void appendQuoted(std::string& out, std::string_view text) {
    out += '"';
    for (const char c : text) {
        const std::string_view escape = backslashEscape(c, "\"\\\n\r");
        if (escape.empty())
            out += c;
        else
            out += escape;
    }
    out += '"';
}

std::string quoteText(std::string_view text) {
    std::string out;
    appendQuoted(out, text);
    return out;
}

} // namespace orvane
