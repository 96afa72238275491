#include "script_syntax.h"

#include "toolkit/quoting.h"
#include "toolkit/value.h"

#include <cctype>
#include <limits>

namespace orvane::script {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

bool isNameChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

// Digits only, no sign: a script never means a negative count or time.
std::optional<std::int64_t> digits(std::string_view text) {
    if (text.empty() || text.size() > 15)
        return std::nullopt;
    std::int64_t n = 0;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return std::nullopt;
        n = n * 10 + (c - '0');
    }
    return n;
}

} // namespace

void LineReader::skipBlanks() {
    while (m_pos < m_line.size() && isBlank(m_line[m_pos]))
        ++m_pos;
}

bool LineReader::atEnd() {
    skipBlanks();
    return m_pos >= m_line.size() || m_line[m_pos] == '#';
}

Word LineReader::quoted() {
    Word w{{}, true};
    ++m_pos; // the opening quote
    for (;;) {
        if (m_pos >= m_line.size())
            throw ScriptError("a quoted string has no closing quote");
        const char c = m_line[m_pos++];
        if (c == '"')
            break;
        if (c != '\\') {
            w.text += c;
            continue;
        }
        if (m_pos >= m_line.size())
            throw ScriptError("a quoted string has no closing quote");
        const char e = m_line[m_pos++];
        const char byte = backslashUnescape(e, "\"\\nr");
        if (!byte)
            throw ScriptError(std::string("unknown escape \\") + e + " in a quoted string");
        w.text += byte;
    }
    if (m_pos < m_line.size() && !isBlank(m_line[m_pos]))
        throw ScriptError("a blank must follow a closing quote");
    return w;
}

std::optional<Word> LineReader::optionalWord() {
    if (atEnd())
        return std::nullopt;
    if (m_line[m_pos] == '"')
        return quoted();
    const std::size_t start = m_pos;
    while (m_pos < m_line.size() && !isBlank(m_line[m_pos]))
        ++m_pos;
    return Word{m_line.substr(start, m_pos - start), false};
}

Word LineReader::word(std::string_view what) {
    auto w = optionalWord();
    if (!w)
        throw ScriptError("missing " + std::string(what));
    return *w;
}

Word LineReader::value(std::string_view what) {
    if (atEnd())
        throw ScriptError("missing " + std::string(what));
    if (m_line[m_pos] == '"') {
        Word w = quoted();
        end();
        return w;
    }
    // The rest of the line up to a comment, which starts only where a word would.
    std::size_t stop = m_pos;
    while (stop < m_line.size() && !(m_line[stop] == '#' && isBlank(m_line[stop - 1])))
        ++stop;
    std::size_t last = stop;
    while (last > m_pos && isBlank(m_line[last - 1]))
        --last;
    Word w{m_line.substr(m_pos, last - m_pos), false};
    m_pos = m_line.size();
    return w;
}

void LineReader::end() {
    if (!atEnd())
        throw ScriptError("unexpected \"" + m_line.substr(m_pos) + "\" at the end");
}

std::string scriptWord(std::string_view text) {
    bool plain = !text.empty() && text.front() != '"' && text.front() != '#';
    for (char c : text)
        if (isBlank(c) || c == '\\' || c == '\n' || c == '\r')
            plain = false;
    return plain ? std::string(text) : quoteText(text);
}

std::optional<std::int64_t> parseDuration(std::string_view text) {
    struct Unit {
        std::string_view suffix;
        std::int64_t ms;
    };
    // "ms" before "m" and "s", so that 500ms is not read as 500m followed by junk.
    static constexpr Unit units[] = {
        {"ms", 1}, {"s", 1000}, {"m", 60'000}, {"h", 3'600'000}, {"d", 86'400'000}};
    for (const Unit& u : units) {
        if (text.size() > u.suffix.size() && text.ends_with(u.suffix)) {
            auto n = digits(text.substr(0, text.size() - u.suffix.size()));
            if (!n || *n > std::numeric_limits<std::int64_t>::max() / u.ms)
                return std::nullopt;
            return *n * u.ms;
        }
    }
    if (auto n = digits(text))
        return *n * 1000;
    return std::nullopt;
}

std::optional<DateTime> parseClockStamp(std::string_view text) {
    // Fixed-width fields: 0123-56-89 and, after the blanks, 01:34:67.
    auto field = [](std::string_view t, std::size_t at, std::size_t len) {
        return digits(t.substr(at, len)).value_or(-1);
    };
    const std::size_t blanks = text.find_first_of(" \t");
    if (blanks != 10 || text.size() < 11)
        return std::nullopt;
    const std::size_t timeAt = text.find_first_not_of(" \t", blanks);
    if (timeAt == std::string_view::npos)
        return std::nullopt;
    std::string_view date = text.substr(0, 10);
    std::string_view time = text.substr(timeAt);
    if (date[4] != '-' || date[7] != '-' || time.size() != 8 || time[2] != ':' || time[5] != ':')
        return std::nullopt;
    return DateTime::fromParts(int(field(date, 0, 4)), int(field(date, 5, 2)),
                               int(field(date, 8, 2)), int(field(time, 0, 2)),
                               int(field(time, 3, 2)), int(field(time, 6, 2)));
}

TargetPath parseTarget(std::string_view text) {
    TargetPath path;
    path.text = std::string(text);
    auto bad = [&](const std::string& why) {
        return ScriptError("malformed target " + scriptWord(text) + ": " + why);
    };
    std::size_t pos = 0;
    for (;;) {
        TargetPart part;
        const std::size_t start = pos;
        while (pos < text.size() && isNameChar(text[pos]))
            ++pos;
        if (pos == start)
            throw bad("a name is missing");
        part.name = std::string(text.substr(start, pos - start));
        if (pos < text.size() && text[pos] == '(') {
            const std::size_t close = text.find(')', pos);
            if (close == std::string_view::npos)
                throw bad("an index has no closing parenthesis");
            part.index = std::string(text.substr(pos + 1, close - pos - 1));
            for (char c : *part.index)
                if (!isNameChar(c))
                    throw bad("an index is a number or a panel key");
            if (part.index->empty())
                throw bad("an index is empty");
            pos = close + 1;
        }
        path.parts.push_back(std::move(part));
        if (pos == text.size())
            break;
        if (text[pos] != '.')
            throw bad("unexpected " + std::string(1, text[pos]));
        ++pos;
    }
    if (path.parts.size() > 3)
        throw bad("at most Form.Control.Property");
    if (path.parts.front().index)
        throw bad("a window has no index");
    if (path.parts.size() == 3 && path.parts[2].index)
        throw bad("a property has no index");
    return path;
}

} // namespace orvane::script
