#include "dates/datetime.h"

#include "dates/date_detail.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <string>
#include <vector>

namespace orvane {

using detail::appendPadded;
using detail::Civil;
using detail::civilOf;
using detail::DayNames;
using detail::dayNumber;
using detail::floorMod;
using detail::MonthNames;
using detail::PaddedBufferSize;
using detail::writePadded;

namespace {

enum class Field {
    Literal,
    Day,
    DayPadded,
    DayShortName,
    DayName,
    Month,
    MonthPadded,
    MonthShortName,
    MonthName,
    YearShort,
    Year,
    Hour,
    HourPadded,
    Minute,
    MinutePadded,
    Second,
    SecondPadded,
    AmPmUpper,
    AmPmLower,
    APUpper,
    APLower,
};

struct PatternPart {
    Field field;
    std::string literal;
};

std::size_t runLength(std::string_view s, std::size_t i) {
    std::size_t n = 0;
    while (i + n < s.size() && s[i + n] == s[i])
        ++n;
    return n;
}

std::vector<PatternPart> splitPattern(std::string_view p) {
    struct Marker {
        std::string_view text;
        Field field;
    };
    // Longer markers first, so "AM/PM" is not read as a literal "A" and a month "M".
    static constexpr std::array<Marker, 4> Markers{{{"AM/PM", Field::AmPmUpper},
                                                    {"am/pm", Field::AmPmLower},
                                                    {"A/P", Field::APUpper},
                                                    {"a/p", Field::APLower}}};
    std::vector<PatternPart> parts;
    std::size_t i = 0;
    while (i < p.size()) {
        bool matched = false;
        for (const Marker& m : Markers) {
            if (p.substr(i, m.text.size()) == m.text) {
                parts.push_back({m.field, {}});
                i += m.text.size();
                matched = true;
                break;
            }
        }
        if (matched)
            continue;

        // A run of one letter is taken in the longest pieces the letter allows, so "hhh" is
        // "hh" then "h" and "yyy" is "yy" then a literal "y".
        const std::size_t run = runLength(p, i);
        Field f = Field::Literal;
        std::size_t take = 1;
        switch (p[i]) {
        case 'd': {
            static constexpr std::array<Field, 4> ds{Field::Day, Field::DayPadded,
                                                     Field::DayShortName, Field::DayName};
            take = std::min<std::size_t>(run, 4);
            f = ds[take - 1];
            break;
        }
        case 'm': {
            static constexpr std::array<Field, 4> ms{Field::Month, Field::MonthPadded,
                                                     Field::MonthShortName, Field::MonthName};
            take = std::min<std::size_t>(run, 4);
            f = ms[take - 1];
            break;
        }
        case 'y':
            if (run >= 4) {
                take = 4;
                f = Field::Year;
            } else if (run >= 2) {
                take = 2;
                f = Field::YearShort;
            }
            break;
        case 'h':
            take = std::min<std::size_t>(run, 2);
            f = take == 2 ? Field::HourPadded : Field::Hour;
            break;
        case 'n':
            take = std::min<std::size_t>(run, 2);
            f = take == 2 ? Field::MinutePadded : Field::Minute;
            break;
        case 's':
            take = std::min<std::size_t>(run, 2);
            f = take == 2 ? Field::SecondPadded : Field::Second;
            break;
        default:
            break;
        }
        if (f == Field::Literal) {
            if (parts.empty() || parts.back().field != Field::Literal)
                parts.push_back({Field::Literal, {}});
            parts.back().literal += p[i];
        } else {
            parts.push_back({f, {}});
        }
        i += take;
    }
    return parts;
}

bool isHourField(Field f) {
    return f == Field::Hour || f == Field::HourPadded;
}
bool isSecondField(Field f) {
    return f == Field::Second || f == Field::SecondPadded;
}

// "m" and "mm" mean minutes when they follow an hour or precede seconds with only literal
// text between, as in "h:mm:ss"; everywhere else they are the month.
void resolveMinutes(std::vector<PatternPart>& parts) {
    auto neighbour = [&](std::size_t i, int step) -> std::optional<Field> {
        for (std::ptrdiff_t j = std::ptrdiff_t(i) + step;
             j >= 0 && j < std::ptrdiff_t(parts.size()); j += step)
            if (parts[std::size_t(j)].field != Field::Literal)
                return parts[std::size_t(j)].field;
        return std::nullopt;
    };
    for (std::size_t i = 0; i < parts.size(); ++i) {
        Field& f = parts[i].field;
        if (f != Field::Month && f != Field::MonthPadded)
            continue;
        const auto before = neighbour(i, -1);
        const auto after = neighbour(i, +1);
        if ((before && isHourField(*before)) || (after && isSecondField(*after)))
            f = f == Field::Month ? Field::Minute : Field::MinutePadded;
    }
}

struct CompiledPattern {
    std::vector<PatternPart> parts;
    bool twelveHour = false;
};

CompiledPattern compile(std::string_view pattern) {
    CompiledPattern compiled;
    compiled.parts = splitPattern(pattern);
    resolveMinutes(compiled.parts);
    for (const PatternPart& part : compiled.parts)
        if (part.field == Field::AmPmUpper || part.field == Field::AmPmLower ||
            part.field == Field::APUpper || part.field == Field::APLower)
            compiled.twelveHour = true;
    return compiled;
}

// The program formats with a handful of fixed patterns, some of them on every tick, so each is
// split into its parts once. The table is per thread, like the parsing's, and a pattern not
// seen lately takes the place of the oldest.
const CompiledPattern& compiledPattern(std::string_view pattern) {
    struct Entry {
        std::string pattern;
        CompiledPattern compiled;
        bool used = false;
    };
    static thread_local std::array<Entry, 16> recent;
    static thread_local std::size_t next = 0;
    for (Entry& e : recent)
        if (e.used && e.pattern == pattern)
            return e.compiled;
    Entry& e = recent[next];
    next = (next + 1) % recent.size();
    e.pattern.assign(pattern);
    e.compiled = compile(pattern);
    e.used = true;
    return e.compiled;
}

// Collects a formatted text in a buffer on the stack and makes the string once at the end,
// since the counts format dates on every tick; a text that outgrows the buffer (a pattern
// with long literal text) goes on in a string.
class TextWriter {
  public:
    void put(std::string_view s) {
        if (!m_spilled && m_used + s.size() <= sizeof m_buffer) {
            std::copy(s.begin(), s.end(), m_buffer + m_used);
            m_used += s.size();
            return;
        }
        if (!m_spilled) {
            m_spill.assign(m_buffer, m_used);
            m_spilled = true;
        }
        m_spill.append(s);
    }
    void number(std::int64_t value, std::size_t width) {
        char buffer[PaddedBufferSize];
        if (const std::string_view text = writePadded(buffer, value, width); !text.empty()) {
            put(text);
            return;
        }
        std::string wide;
        appendPadded(wide, value, width);
        put(wide);
    }
    std::string text() { return m_spilled ? std::move(m_spill) : std::string(m_buffer, m_used); }

  private:
    char m_buffer[128];
    std::size_t m_used = 0;
    bool m_spilled = false;
    std::string m_spill;
};

// The fields of one date-time that a pattern can show.
struct Fields {
    Civil civil;
    int hour;
    int minute;
    int second;
    bool pm;
    int dayOfWeek;
};

static void putField(TextWriter& out, const PatternPart& part, const Fields& f) {
    const Civil& c = f.civil;
    const int hour = f.hour, minute = f.minute, second = f.second;
    const bool pm = f.pm;
    switch (part.field) {
    case Field::Literal:
        out.put(part.literal);
        break;
    case Field::Day:
        out.number(c.day, 1);
        break;
    case Field::DayPadded:
        out.number(c.day, 2);
        break;
    case Field::DayShortName:
        out.put(DayNames[f.dayOfWeek].substr(0, 3));
        break;
    case Field::DayName:
        out.put(DayNames[f.dayOfWeek]);
        break;
    case Field::Month:
        out.number(c.month, 1);
        break;
    case Field::MonthPadded:
        out.number(c.month, 2);
        break;
    case Field::MonthShortName:
        out.put(MonthNames[c.month - 1].substr(0, 3));
        break;
    case Field::MonthName:
        out.put(MonthNames[c.month - 1]);
        break;
    case Field::YearShort:
        out.number(floorMod(c.year, 100), 2);
        break;
    case Field::Year:
        out.number(c.year, 4);
        break;
    case Field::Hour:
        out.number(hour, 1);
        break;
    case Field::HourPadded:
        out.number(hour, 2);
        break;
    case Field::Minute:
        out.number(minute, 1);
        break;
    case Field::MinutePadded:
        out.number(minute, 2);
        break;
    case Field::Second:
        out.number(second, 1);
        break;
    case Field::SecondPadded:
        out.number(second, 2);
        break;
    case Field::AmPmUpper:
        out.put(pm ? "PM" : "AM");
        break;
    case Field::AmPmLower:
        out.put(pm ? "pm" : "am");
        break;
    case Field::APUpper:
        out.put(pm ? "P" : "A");
        break;
    case Field::APLower:
        out.put(pm ? "p" : "a");
        break;
    }
}

std::string formatPattern(DateTime value, std::string_view pattern) {
    const CompiledPattern& compiled = compiledPattern(pattern);
    const std::vector<PatternPart>& parts = compiled.parts;
    const bool twelveHour = compiled.twelveHour;

    const Civil c = civilOf(value);
    const std::int64_t tod = value.timeOfDay();
    const int hour24 = int(tod / 3600);
    const int minute = int(tod / 60 % 60);
    const int second = int(tod % 60);
    const int hour = twelveHour ? (hour24 % 12 == 0 ? 12 : hour24 % 12) : hour24;
    const bool pm = hour24 >= 12;

    const Fields fields{c, hour, minute, second, pm, value.dayOfWeek()};
    TextWriter out;
    for (const PatternPart& part : parts)
        putField(out, part, fields);
    return out.text();
}

constexpr std::string_view ShortDatePattern = "m/d/yyyy";
constexpr std::string_view LongTimePattern = "h:mm:ss AM/PM";
constexpr std::string_view ShortTimePattern = "hh:mm";

std::string formatGeneral(DateTime value) {
    const bool onZeroDate = dayNumber(value) == 0;
    const bool atMidnight = value.timeOfDay() == 0;
    if (onZeroDate)
        return formatPattern(value, LongTimePattern);
    if (atMidnight)
        return formatPattern(value, ShortDatePattern);
    return formatPattern(value, ShortDatePattern) + " " + formatPattern(value, LongTimePattern);
}

} // namespace

std::string formatDate(DateTime value, std::string_view pattern) {
    if (pattern == "General Date")
        return formatGeneral(value);
    if (pattern == "Short Date")
        return formatPattern(value, ShortDatePattern);
    if (pattern == "Long Time")
        return formatPattern(value, LongTimePattern);
    if (pattern == "Short Time")
        return formatPattern(value, ShortTimePattern);
    return formatPattern(value, pattern);
}

} // namespace orvane
