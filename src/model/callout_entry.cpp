#include "model/callout_entry.h"

#include "model/countdown_plan.h"
#include "model/plan_format.h"

#include <cstdio>

namespace orvane {

namespace {

// The next character of TEXT from POS as a code point, POS moved past it; none for a byte
// sequence that is not UTF-8 (overlong forms and surrogates included).
std::optional<char32_t> nextCodePoint(const std::string& text, std::size_t& pos) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(pos);
    int more = 0;
    char32_t c = 0;
    if (lead < 0x80) {
        ++pos;
        return lead;
    }
    if (lead >= 0xC2 && lead <= 0xDF)
        more = 1, c = lead & 0x1F;
    else if (lead >= 0xE0 && lead <= 0xEF)
        more = 2, c = lead & 0x0F;
    else if (lead >= 0xF0 && lead <= 0xF4)
        more = 3, c = lead & 0x07;
    else
        return std::nullopt;
    if (pos + std::size_t(more) >= text.size())
        return std::nullopt;
    for (int k = 1; k <= more; ++k) {
        const unsigned char b = byte(pos + std::size_t(k));
        if ((b & 0xC0) != 0x80)
            return std::nullopt;
        c = (c << 6) | (b & 0x3F);
    }
    const char32_t least[] = {0, 0x80, 0x800, 0x10000};
    if (c < least[more] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return std::nullopt;
    pos += std::size_t(more) + 1;
    return c;
}

// Characters that show nothing or change how the rest is shown: what the table shows would
// not be what is said. A no-break space shows as a space and is said as one, so it is taken.
bool hidden(char32_t c) {
    return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0xAD || (c >= 0x200B && c <= 0x200F) ||
           (c >= 0x2028 && c <= 0x202E) || (c >= 0x2060 && c <= 0x206F) || c == 0xFEFF ||
           (c >= 0xFFF9 && c <= 0xFFFB) || (c >= 0xE0000 && c <= 0xE007F);
}

std::string codeName(char32_t c) {
    char name[16];
    std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(c));
    return name;
}

} // namespace

std::optional<std::string> checkCalloutWords(const std::string& words) {
    std::size_t pos = 0, count = 0;
    bool seen = false;
    while (pos < words.size()) {
        const std::optional<char32_t> c = nextCodePoint(words, pos);
        if (!c)
            return "the words are not valid UTF-8 text";
        if (hidden(*c))
            return "the words hold a character that cannot be shown (" + codeName(*c) + ")";
        if (++count > MaxCalloutWords)
            return "the words are longer than " + std::to_string(MaxCalloutWords) +
                   " characters";
        seen = seen || (*c != ' ' && *c != 0xA0);
    }
    if (!seen)
        return "there are no words to say";
    return std::nullopt;
}

std::string calloutTime(std::int64_t toLaunch, bool liftoff) {
    if (toLaunch == 0 && liftoff)
        return "at liftoff";
    return (toLaunch < 0 ? "T+" : "T-") + planHms(toLaunch < 0 ? -toLaunch : toLaunch);
}

std::optional<std::int64_t> readCalloutTime(const std::string& text, bool liftoff) {
    if (liftoff && text == "at liftoff")
        return 0;
    if (!text.starts_with("T-") && !text.starts_with("T+"))
        return std::nullopt;
    const std::optional<std::int64_t> s = readHms(text.substr(2));
    if (!s)
        return std::nullopt;
    return text[1] == '+' ? -*s : *s;
}

std::string formatCalloutEntry(const CalloutEntry& entry) {
    return calloutTime(entry.toLaunch) + " " + entry.words;
}

std::optional<CalloutEntry> readCalloutEntry(const std::string& text, std::string& wrong) {
    const std::size_t blank = text.find(' ');
    const std::string at = text.substr(0, blank);
    const std::optional<std::int64_t> t = readCalloutTime(at);
    if (!t) {
        wrong = "\"" + at + "\" is not a T-time such as T-00:09:00 or T+00:00:10";
        return std::nullopt;
    }
    CalloutEntry entry{*t, blank == std::string::npos ? "" : text.substr(blank + 1)};
    if (auto bad = checkCalloutWords(entry.words)) {
        wrong = *bad;
        return std::nullopt;
    }
    return entry;
}

std::optional<std::string> checkCalloutEntry(const std::vector<CalloutEntry>& entries,
                                             const CalloutEntry& entry,
                                             std::optional<std::size_t> replacing) {
    if (auto bad = checkCalloutWords(entry.words))
        return bad;
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (i != replacing && entries[i].toLaunch == entry.toLaunch)
            return "entry " + std::to_string(i + 1) + " is said at " +
                   calloutTime(entry.toLaunch, true) + " already";
    if (!replacing && entries.size() >= MaxCalloutEntries)
        return "there are " + std::to_string(MaxCalloutEntries) +
               " entries already, as many as are kept";
    return std::nullopt;
}

} // namespace orvane
