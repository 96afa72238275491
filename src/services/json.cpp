#include "services/json.h"

#include "toolkit/quoting.h"

#include <charconv>
#include <cstdio>

namespace orvane {

namespace {
constexpr int MaxDepth = 16;
const JsonValue NullValue;
} // namespace

std::optional<bool> JsonValue::boolean() const {
    return m_type == Type::Bool ? std::optional<bool>(m_bool) : std::nullopt;
}

std::optional<std::int64_t> JsonValue::number() const {
    return m_type == Type::Number ? std::optional<std::int64_t>(m_number) : std::nullopt;
}

std::optional<std::string> JsonValue::text() const {
    return m_type == Type::Text ? std::optional<std::string>(m_text) : std::nullopt;
}

const JsonValue& JsonValue::operator[](std::string_view key) const {
    const auto it = m_members.find(key);
    return it == m_members.end() ? NullValue : it->second;
}

bool JsonValue::has(std::string_view key) const {
    return m_members.find(key) != m_members.end();
}

class JsonReader {
  public:
    explicit JsonReader(std::string_view text) : m_text(text) {}

    std::optional<JsonValue> document(std::string& error) {
        JsonValue v;
        if (!value(v, 0) || (skipBlanks(), m_at != m_text.size())) {
            error = m_error.empty() ? "unexpected text at byte " + std::to_string(m_at) : m_error;
            return std::nullopt;
        }
        return v;
    }

  private:
    bool fail(const std::string& why) {
        if (m_error.empty())
            m_error = why + " at byte " + std::to_string(m_at);
        return false;
    }
    void skipBlanks() {
        while (m_at < m_text.size() && (m_text[m_at] == ' ' || m_text[m_at] == '\t' ||
                                        m_text[m_at] == '\n' || m_text[m_at] == '\r'))
            ++m_at;
    }
    bool literal(std::string_view word) {
        if (m_text.substr(m_at, word.size()) != word)
            return fail("unknown word");
        m_at += word.size();
        return true;
    }

    bool value(JsonValue& v, int depth) {
        if (depth > MaxDepth)
            return fail("too deeply nested");
        skipBlanks();
        if (m_at >= m_text.size())
            return fail("the text ends early");
        const char c = m_text[m_at];
        switch (c) {
        case '{':
            return object(v, depth);
        case '[':
            return array(v, depth);
        case '"':
            v.m_type = JsonValue::Type::Text;
            return string(v.m_text);
        case 't':
            v.m_type = JsonValue::Type::Bool;
            v.m_bool = true;
            return literal("true");
        case 'f':
            v.m_type = JsonValue::Type::Bool;
            return literal("false");
        case 'n':
            return literal("null");
        default:
            return number(v);
        }
    }

    bool number(JsonValue& v) {
        const char* begin = m_text.data() + m_at;
        const char* end = m_text.data() + m_text.size();
        const auto [next, ec] = std::from_chars(begin, end, v.m_number);
        if (ec != std::errc{} || next == begin)
            return fail("not a whole number");
        m_at += std::size_t(next - begin);
        if (m_at < m_text.size() &&
            (m_text[m_at] == '.' || m_text[m_at] == 'e' || m_text[m_at] == 'E'))
            return fail("not a whole number");
        v.m_type = JsonValue::Type::Number;
        return true;
    }

    bool object(JsonValue& v, int depth) {
        v.m_type = JsonValue::Type::Object;
        ++m_at;
        skipBlanks();
        if (m_at < m_text.size() && m_text[m_at] == '}') {
            ++m_at;
            return true;
        }
        for (;;) {
            skipBlanks();
            std::string key;
            if (m_at >= m_text.size() || m_text[m_at] != '"' || !string(key))
                return fail("a member name was expected");
            skipBlanks();
            if (m_at >= m_text.size() || m_text[m_at] != ':')
                return fail("':' was expected");
            ++m_at;
            JsonValue member;
            if (!value(member, depth + 1))
                return false;
            v.m_members.insert_or_assign(std::move(key), std::move(member));
            skipBlanks();
            if (m_at < m_text.size() && m_text[m_at] == ',') {
                ++m_at;
                continue;
            }
            if (m_at < m_text.size() && m_text[m_at] == '}') {
                ++m_at;
                return true;
            }
            return fail("',' or '}' was expected");
        }
    }

    bool array(JsonValue& v, int depth) {
        v.m_type = JsonValue::Type::Array;
        ++m_at;
        skipBlanks();
        if (m_at < m_text.size() && m_text[m_at] == ']') {
            ++m_at;
            return true;
        }
        for (;;) {
            JsonValue item;
            if (!value(item, depth + 1))
                return false;
            v.m_items.push_back(std::move(item));
            skipBlanks();
            if (m_at < m_text.size() && m_text[m_at] == ',') {
                ++m_at;
                continue;
            }
            if (m_at < m_text.size() && m_text[m_at] == ']') {
                ++m_at;
                return true;
            }
            return fail("',' or ']' was expected");
        }
    }

    static void appendUtf8(std::string& out, unsigned code) {
        if (code < 0x80) {
            out += char(code);
        } else if (code < 0x800) {
            out += char(0xC0 | (code >> 6));
            out += char(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            out += char(0xE0 | (code >> 12));
            out += char(0x80 | ((code >> 6) & 0x3F));
            out += char(0x80 | (code & 0x3F));
        } else {
            out += char(0xF0 | (code >> 18));
            out += char(0x80 | ((code >> 12) & 0x3F));
            out += char(0x80 | ((code >> 6) & 0x3F));
            out += char(0x80 | (code & 0x3F));
        }
    }

    bool hex4(unsigned& code) {
        if (m_at + 4 > m_text.size())
            return fail("a short \\u escape");
        code = 0;
        for (int i = 0; i < 4; ++i) {
            const char h = m_text[m_at++];
            code <<= 4;
            if (h >= '0' && h <= '9')
                code |= unsigned(h - '0');
            else if (h >= 'a' && h <= 'f')
                code |= unsigned(h - 'a' + 10);
            else if (h >= 'A' && h <= 'F')
                code |= unsigned(h - 'A' + 10);
            else
                return fail("a bad \\u escape");
        }
        return true;
    }

    bool string(std::string& out) {
        ++m_at; // the opening quote
        while (m_at < m_text.size()) {
            const char c = m_text[m_at++];
            if (c == '"')
                return true;
            if (static_cast<unsigned char>(c) < 0x20)
                return fail("a control character in a text");
            if (c != '\\') {
                out += c;
                continue;
            }
            if (m_at >= m_text.size())
                break;
            const char e = m_text[m_at++];
            if (const char byte = backslashUnescape(e, "\"\\/bfnrt")) {
                out += byte;
                continue;
            }
            switch (e) {
            case 'u': {
                unsigned code = 0;
                if (!hex4(code))
                    return false;
                // A surrogate pair names one character beyond the first plane.
                if (code >= 0xD800 && code < 0xDC00 && m_text.substr(m_at, 2) == "\\u") {
                    m_at += 2;
                    unsigned low = 0;
                    if (!hex4(low) || low < 0xDC00 || low >= 0xE000)
                        return fail("a broken surrogate pair");
                    code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                }
                appendUtf8(out, code);
                break;
            }
            default:
                return fail("an unknown escape");
            }
        }
        return fail("a text without its closing quote");
    }

    std::string_view m_text;
    std::size_t m_at = 0;
    std::string m_error;
};

std::optional<JsonValue> JsonValue::parse(std::string_view text, std::string& error) {
    return JsonReader(text).document(error);
}

// JSON's own escaping, apart from quoteText's: a JSON reader refuses any control byte left
// raw, so every one is escaped here, where quoteText leaves tabs and the like as they are.
std::string jsonText(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        if (const std::string_view escape = backslashEscape(c, "\"\\\b\f\n\r\t"); !escape.empty()) {
            out += escape;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char code[8];
            std::snprintf(code, sizeof code, "\\u%04x", unsigned(c));
            out += code;
        } else {
            out += c;
        }
    }
    out += '"';
    return out;
}

} // namespace orvane
