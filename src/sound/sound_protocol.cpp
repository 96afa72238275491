#include "sound/sound_protocol.h"

#include "toolkit/quoting.h"

#include <array>
#include <charconv>
#include <utility>

namespace orvane {

namespace {

constexpr std::array<std::pair<SoundMessage::Kind, std::string_view>, 16> Words{{
    {SoundMessage::Kind::Voice, "voice"},
    {SoundMessage::Kind::Volume, "volume"},
    {SoundMessage::Kind::Prepare, "prepare"},
    {SoundMessage::Kind::Plan, "plan"},
    {SoundMessage::Kind::Sound, "sound"},
    {SoundMessage::Kind::Unavailable, "unavailable"},
    {SoundMessage::Kind::Voices, "voices"},
    {SoundMessage::Kind::Ping, "ping"},
    {SoundMessage::Kind::Pong, "pong"},
    {SoundMessage::Kind::Missed, "missed"},
    {SoundMessage::Kind::Style, "style"},
    {SoundMessage::Kind::Output, "output"},
    {SoundMessage::Kind::Variants, "variants"},
    {SoundMessage::Kind::Outputs, "outputs"},
    {SoundMessage::Kind::Fallback, "fallback"},
    {SoundMessage::Kind::Ready, "ready"},
}};

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

template <typename Number> std::optional<Number> number(std::string_view field) {
    Number n{};
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), n);
    if (error != std::errc() || end != field.data() + field.size() || field.empty())
        return std::nullopt;
    return n;
}

std::vector<std::string_view> split(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t from = 0;
    for (;;) {
        const std::size_t space = line.find(' ', from);
        fields.push_back(line.substr(from, space - from));
        if (space == std::string_view::npos)
            return fields;
        from = space + 1;
    }
}

} // namespace

// A field's escaping, apart from quoteText's: the line is split at spaces and a field is never
// empty, so a space and an empty text take escapes of their own, and no quotes are needed.
std::string escapeSoundField(std::string_view text) {
    if (text.empty())
        return "\\e";
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == ' ') {
            out += "\\s";
        } else if (const std::string_view escape = backslashEscape(c, "\\\n\r\t");
                   !escape.empty()) {
            out += escape;
        } else if (byte < 0x20 || byte == 0x7f) {
            constexpr char Hex[] = "0123456789abcdef";
            out += "\\x";
            out += Hex[byte >> 4];
            out += Hex[byte & 15];
        } else {
            out += c;
        }
    }
    return out;
}

std::optional<std::string> unescapeSoundField(std::string_view field) {
    if (field == "\\e")
        return std::string();
    if (field.empty())
        return std::nullopt;
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        const auto byte = static_cast<unsigned char>(field[i]);
        if (byte < 0x20 || byte == 0x7f || byte == ' ')
            return std::nullopt;
        if (field[i] != '\\') {
            out += field[i];
            continue;
        }
        if (++i == field.size())
            return std::nullopt;
        if (const char unescaped = backslashUnescape(field[i], "\\nrt")) {
            out += unescaped;
            continue;
        }
        switch (field[i]) {
        case 's':
            out += ' ';
            break;
        case 'x': {
            const int high = i + 2 < field.size() ? hexDigit(field[i + 1]) : -1;
            const int low = high >= 0 ? hexDigit(field[i + 2]) : -1;
            if (low < 0)
                return std::nullopt;
            out += char(high * 16 + low);
            i += 2;
            break;
        }
        default:
            return std::nullopt;
        }
    }
    return out;
}

std::string soundLine(const SoundMessage& message) {
    std::string line;
    for (const auto& [kind, word] : Words)
        if (kind == message.kind)
            line = word;
    using K = SoundMessage::Kind;
    switch (message.kind) {
    case K::Volume:
        line += ' ' + std::to_string(message.volume);
        break;
    case K::Plan:
    case K::Sound:
        for (const Cue& cue : message.cues)
            line += ' ' + std::to_string(cue.atMs) + ' ' + escapeSoundField(cue.text);
        break;
    case K::Style:
        line += ' ' + escapeSoundField(message.texts.empty() ? "" : message.texts.front());
        for (std::size_t i = 0; i < 2; ++i)
            line += ' ' + std::to_string(i < message.numbers.size() ? message.numbers[i] : 0);
        break;
    case K::Ready:
        for (std::size_t i = 0; i < message.texts.size(); ++i)
            line += ' ' + escapeSoundField(message.texts[i]) + ' ' +
                    std::to_string(i < message.numbers.size() ? message.numbers[i] : 0);
        break;
    case K::Voice:
    case K::Unavailable:
    case K::Ping:
    case K::Pong:
    case K::Missed:
    case K::Output:
    case K::Fallback:
        line += ' ' + escapeSoundField(message.texts.empty() ? "" : message.texts.front());
        break;
    case K::Prepare:
    case K::Voices:
    case K::Variants:
    case K::Outputs:
        for (const std::string& text : message.texts)
            line += ' ' + escapeSoundField(text);
        break;
    }
    return line + '\n';
}

std::optional<SoundMessage> parseSoundLine(std::string_view line) {
    const std::vector<std::string_view> fields = split(line);
    SoundMessage m;
    bool known = false;
    for (const auto& [kind, word] : Words)
        if (word == fields.front()) {
            m.kind = kind;
            known = true;
        }
    if (!known)
        return std::nullopt;
    const std::size_t n = fields.size() - 1;
    using K = SoundMessage::Kind;
    switch (m.kind) {
    case K::Volume: {
        const auto volume = n == 1 ? number<int>(fields[1]) : std::nullopt;
        if (!volume || *volume < 0 || *volume > 100)
            return std::nullopt;
        m.volume = *volume;
        return m;
    }
    case K::Plan:
    case K::Sound:
        if (n % 2 != 0 || (m.kind == K::Sound && n != 2))
            return std::nullopt;
        for (std::size_t i = 1; i < fields.size(); i += 2) {
            const auto atMs = number<std::int64_t>(fields[i]);
            auto text = unescapeSoundField(fields[i + 1]);
            if (!atMs || !text)
                return std::nullopt;
            m.cues.push_back({std::move(*text), *atMs});
        }
        return m;
    case K::Style: {
        auto variant = n == 3 ? unescapeSoundField(fields[1]) : std::nullopt;
        const auto speed = n == 3 ? number<int>(fields[2]) : std::nullopt;
        const auto pitch = n == 3 ? number<int>(fields[3]) : std::nullopt;
        if (!variant || !speed || !pitch || *speed < VoiceStyle::MinSpeed ||
            *speed > VoiceStyle::MaxSpeed || *pitch < 0 || *pitch > VoiceStyle::MaxPitch)
            return std::nullopt;
        m.texts.push_back(std::move(*variant));
        m.numbers = {*speed, *pitch};
        return m;
    }
    case K::Ready:
        if (n % 2 != 0)
            return std::nullopt;
        for (std::size_t i = 1; i < fields.size(); i += 2) {
            auto text = unescapeSoundField(fields[i]);
            const auto ms = number<int>(fields[i + 1]);
            if (!text || !ms || *ms < 0)
                return std::nullopt;
            m.texts.push_back(std::move(*text));
            m.numbers.push_back(*ms);
        }
        return m;
    case K::Voice:
    case K::Unavailable:
    case K::Ping:
    case K::Pong:
    case K::Missed:
    case K::Output:
    case K::Fallback:
        if (n != 1)
            return std::nullopt;
        [[fallthrough]];
    case K::Prepare:
    case K::Voices:
    case K::Variants:
    case K::Outputs:
        if ((m.kind == K::Variants || m.kind == K::Outputs) && n % 2 != 0)
            return std::nullopt;
        for (std::size_t i = 1; i < fields.size(); ++i) {
            auto text = unescapeSoundField(fields[i]);
            if (!text)
                return std::nullopt;
            m.texts.push_back(std::move(*text));
        }
        return m;
    }
    return std::nullopt;
}

void SoundLineReader::feed(std::string_view bytes,
                           const std::function<void(std::string_view)>& line) {
    while (!bytes.empty()) {
        const std::size_t eol = bytes.find('\n');
        const std::string_view part = bytes.substr(0, eol);
        if (!m_skipping && m_partial.size() + part.size() > MaxLine) {
            m_partial.clear();
            m_skipping = true;
        }
        if (!m_skipping)
            m_partial.append(part);
        if (eol == std::string_view::npos)
            return;
        if (!m_skipping)
            line(m_partial);
        m_partial.clear();
        m_skipping = false;
        bytes.remove_prefix(eol + 1);
    }
}

} // namespace orvane
