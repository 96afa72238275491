#include "platform/datetime.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <limits>
#include <vector>

namespace orvane {

namespace {

constexpr std::int64_t SecondsPerDay = 86400;

// Days from January 1, 1970 to the zero date, December 30, 1899, so that the civil
// arithmetic below can work in its usual epoch and the results can be shifted.
constexpr std::int64_t ZeroDateFromUnixDays = -25569;

// Division rounds down, not towards zero, so that times before the zero date fall on the day before
// it rather than being rounded towards it.
constexpr std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
    std::int64_t q = a / b;
    return (a % b != 0 && (a < 0) != (b < 0)) ? q - 1 : q;
}

constexpr std::int64_t floorMod(std::int64_t a, std::int64_t b) {
    return a - floorDiv(a, b) * b;
}

// Proleptic Gregorian day count from 1970-01-01. The year is shifted to start in March so
// that the leap day falls at the end of the counting year.
constexpr std::int64_t daysFromCivil(std::int64_t y, int m, int d) {
    y -= m <= 2;
    const std::int64_t era = floorDiv(y, 400);
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

struct Civil {
    std::int64_t year;
    int month;
    int day;
};

constexpr Civil civilFromDays(std::int64_t z) {
    z += 719468;
    const std::int64_t era = floorDiv(z, 146097);
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const int d = int(doy - (153 * mp + 2) / 5 + 1);
    const int m = int(mp < 10 ? mp + 3 : mp - 9);
    return {yoe + era * 400 + (m <= 2), m, d};
}

static_assert(daysFromCivil(1899, 12, 30) == ZeroDateFromUnixDays);

constexpr bool isLeapYear(std::int64_t y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

constexpr int daysInMonth(std::int64_t y, int m) {
    constexpr std::array<int, 12> lengths{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && isLeapYear(y) ? 29 : lengths[m - 1];
}

std::int64_t dayNumber(DateTime t) {
    return floorDiv(t.seconds(), SecondsPerDay);
}

Civil civilOf(DateTime t) {
    return civilFromDays(dayNumber(t) + ZeroDateFromUnixDays);
}

constexpr std::array<std::string_view, 12> MonthNames{
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December"};

constexpr std::array<std::string_view, 7> DayNames{"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                   "Thursday", "Friday", "Saturday"};

// Blanks are matched by hand rather than with isspace so that the machine's locale cannot
// change what counts as one.
constexpr bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

constexpr bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

constexpr bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

constexpr char toLower(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

// The number zero-padded to the width, with the sign in front of the padding ("-05", not
// "0-5"), written backwards into the end of a buffer of the caller's. The counts format
// several numbers on every tick, so no temporary strings are made. Empty when the padding
// would not fit; the caller then pads by itself.
constexpr std::size_t PaddedBufferSize = 48;

std::string_view writePadded(char (&buffer)[PaddedBufferSize], std::int64_t value,
                             std::size_t width) {
    // The magnitude is taken unsigned so that the most negative number has one.
    std::uint64_t magnitude =
        value < 0 ? std::uint64_t(0) - std::uint64_t(value) : std::uint64_t(value);
    char* const end = buffer + PaddedBufferSize;
    char* p = end;
    do {
        *--p = char('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    const auto digits = std::size_t(end - p);
    if (width > digits) {
        if (width - digits >= std::size_t(p - buffer))
            return {};
        p -= width - digits;
        std::fill(p, p + (width - digits), '0');
    }
    if (value < 0)
        *--p = '-';
    return {p, std::size_t(end - p)};
}

void appendPadded(std::string& out, std::int64_t value, std::size_t width) {
    char buffer[PaddedBufferSize];
    const std::string_view text = writePadded(buffer, value, width);
    if (!text.empty()) {
        out.append(text);
        return;
    }
    // Only a pattern of dozens of zeros comes here.
    const std::string digits =
        std::to_string(value < 0 ? std::uint64_t(0) - std::uint64_t(value) : std::uint64_t(value));
    if (value < 0)
        out += '-';
    out.append(width - digits.size(), '0');
    out += digits;
}

std::string padded(std::int64_t value, std::size_t width) {
    char buffer[PaddedBufferSize];
    if (const std::string_view text = writePadded(buffer, value, width); !text.empty())
        return std::string(text);
    std::string out;
    appendPadded(out, value, width);
    return out;
}

struct Token {
    enum class Kind { Number, Word, Separator, End };
    Kind kind = Kind::End;
    // The value stops growing past nine digits; no field is that wide, and the digit count
    // is what refuses the token.
    std::int64_t number = 0;
    int digits = 0;
    // A word as written, in the text being read; names are matched regardless of case.
    std::string_view word;
    char separator = 0;
};

// The tokens of one text. The longest form the reader takes ("Thursday, May 3, 2001 10:30:00
// AM") has thirteen tokens with its end, so a text of more tokens than this can be no date,
// and a fixed list spares every reading an allocation.
struct Tokens {
    std::array<Token, 24> items;
    std::size_t count = 0;
};

// Empty when the text has more tokens than any date.
std::optional<Tokens> tokenize(std::string_view text) {
    Tokens tokens;
    std::size_t i = 0;
    while (true) {
        if (tokens.count == tokens.items.size())
            return std::nullopt;
        Token& t = tokens.items[tokens.count++];
        while (i < text.size() && isBlank(text[i]))
            ++i;
        if (i == text.size())
            return tokens;
        if (isDigit(text[i])) {
            t.kind = Token::Kind::Number;
            for (; i < text.size() && isDigit(text[i]); ++i) {
                if (t.number < 1'000'000'000)
                    t.number = t.number * 10 + (text[i] - '0');
                ++t.digits;
            }
        } else if (isLetter(text[i])) {
            t.kind = Token::Kind::Word;
            const std::size_t start = i;
            while (i < text.size() && isLetter(text[i]))
                ++i;
            t.word = text.substr(start, i - start);
        } else {
            t.kind = Token::Kind::Separator;
            t.separator = text[i++];
        }
    }
}

bool namesEqual(std::string_view word, std::string_view name) {
    if (word.size() != name.size())
        return false;
    for (std::size_t i = 0; i < name.size(); ++i)
        if (toLower(word[i]) != toLower(name[i]))
            return false;
    return true;
}

// A month named in full, by its first three letters, or as "Sept"; 0 for any other word.
int monthFromWord(std::string_view word) {
    if (namesEqual(word, "sept"))
        return 9;
    for (std::size_t i = 0; i < MonthNames.size(); ++i)
        if (namesEqual(word, MonthNames[i]) || namesEqual(word, MonthNames[i].substr(0, 3)))
            return int(i) + 1;
    return 0;
}

// A weekday named in full or by its first three letters, 0 Sunday; -1 for any other word.
int weekdayFromWord(std::string_view word) {
    for (std::size_t i = 0; i < DayNames.size(); ++i)
        if (namesEqual(word, DayNames[i]) || namesEqual(word, DayNames[i].substr(0, 3)))
            return int(i);
    return -1;
}

struct CivilDate {
    int year;
    int month;
    int day;
};

struct TimeParts {
    int hour;
    int minute;
    int second;
};

// Recursive-descent reader over the tokens. Each alternative restores the position when it
// fails, so the date forms can be tried one after another.
class DateReader {
  public:
    explicit DateReader(const Tokens& tokens) : m_tokens(tokens.items) {}

    std::optional<ParsedDate> read() {
        ParsedDate result;
        CivilDate date{1899, 12, 30};
        TimeParts time{0, 0, 0};

        const int weekday = readWeekday();
        if (auto d = readDate()) {
            date = *d;
            result.hasDate = true;
            if (!atEnd()) {
                auto t = readTime();
                if (!t)
                    return std::nullopt;
                time = *t;
                result.hasTime = true;
            }
        } else if (weekday < 0) {
            auto t = readTime();
            if (!t)
                return std::nullopt;
            time = *t;
            result.hasTime = true;
        } else {
            return std::nullopt;
        }
        if (!atEnd())
            return std::nullopt;

        auto value = DateTime::fromParts(date.year, date.month, date.day, time.hour, time.minute,
                                         time.second);
        if (!value)
            return std::nullopt;
        // A named weekday that disagrees with the date is more likely a typing mistake in
        // the date than something to ignore.
        if (weekday >= 0 && value->dayOfWeek() != weekday)
            return std::nullopt;
        result.value = *value;
        return result;
    }

  private:
    const Token& peek() const { return m_tokens[m_pos]; }
    bool atEnd() const { return peek().kind == Token::Kind::End; }

    bool separator(char c) {
        if (peek().kind != Token::Kind::Separator || peek().separator != c)
            return false;
        ++m_pos;
        return true;
    }

    std::optional<int> number(int minDigits, int maxDigits) {
        const Token& t = peek();
        if (t.kind != Token::Kind::Number || t.digits < minDigits || t.digits > maxDigits)
            return std::nullopt;
        ++m_pos;
        return int(t.number);
    }

    int month() {
        if (peek().kind != Token::Kind::Word)
            return 0;
        const int m = monthFromWord(peek().word);
        if (m != 0)
            ++m_pos;
        return m;
    }

    std::optional<int> year() {
        const Token& t = peek();
        auto y = number(1, 4);
        if (!y)
            return std::nullopt;
        if (t.digits <= 2)
            return *y < 30 ? 2000 + *y : 1900 + *y;
        return y;
    }

    int readWeekday() {
        if (peek().kind != Token::Kind::Word)
            return -1;
        const int w = weekdayFromWord(peek().word);
        if (w >= 0) {
            ++m_pos;
            separator(',');
        }
        return w;
    }

    std::optional<CivilDate> readDate() {
        const std::size_t start = m_pos;
        auto attempt = [&](auto form) -> std::optional<CivilDate> {
            m_pos = start;
            auto d = (this->*form)();
            if (!d)
                m_pos = start;
            return d;
        };
        for (auto form : {&DateReader::monthFirst, &DateReader::dayFirst, &DateReader::slashed,
                          &DateReader::isoDate})
            if (auto d = attempt(form))
                return d;
        return std::nullopt;
    }

    // Reads "May 3, 2001", "May 03 2001" and "Sept 3, 2001"; the comma is optional.
    std::optional<CivilDate> monthFirst() {
        const int m = month();
        if (m == 0)
            return std::nullopt;
        auto d = number(1, 2);
        if (!d)
            return std::nullopt;
        separator(',');
        auto y = year();
        if (!y)
            return std::nullopt;
        return CivilDate{*y, m, *d};
    }

    // Reads "3 May 2001" and "3-May-2001". A dash on one side of the month needs one on the
    // other, so half-dashed texts are refused rather than guessed at.
    std::optional<CivilDate> dayFirst() {
        auto d = number(1, 2);
        if (!d)
            return std::nullopt;
        const bool dashed = separator('-');
        const int m = month();
        if (m == 0 || (dashed && !separator('-')))
            return std::nullopt;
        auto y = year();
        if (!y)
            return std::nullopt;
        return CivilDate{*y, m, *d};
    }

    // Reads "5/3/2001" and "5/3/01" with the month first, as the texts are US-ordered.
    std::optional<CivilDate> slashed() {
        auto m = number(1, 2);
        if (!m || !separator('/'))
            return std::nullopt;
        auto d = number(1, 2);
        if (!d || !separator('/'))
            return std::nullopt;
        auto y = year();
        if (!y)
            return std::nullopt;
        return CivilDate{*y, *m, *d};
    }

    // Reads "2001-05-03". Only a four-digit year starts this form, so "3-5-01" is not taken
    // as year 2003.
    std::optional<CivilDate> isoDate() {
        auto y = number(4, 4);
        if (!y || !separator('-'))
            return std::nullopt;
        auto m = number(1, 2);
        if (!m || !separator('-'))
            return std::nullopt;
        auto d = number(1, 2);
        if (!d)
            return std::nullopt;
        return CivilDate{*y, *m, *d};
    }

    // Reads "10:30", "10:30:00", "10:30 PM" and "10:30:00AM". The range checks on the parts
    // are left to DateTime::fromParts, except the 12-hour clock's, which must be made before
    // the hour is converted.
    std::optional<TimeParts> readTime() {
        auto h = number(1, 2);
        if (!h || !separator(':'))
            return std::nullopt;
        auto m = number(1, 2);
        if (!m)
            return std::nullopt;
        int s = 0;
        if (separator(':')) {
            auto sec = number(1, 2);
            if (!sec)
                return std::nullopt;
            s = *sec;
        }
        if (peek().kind == Token::Kind::Word) {
            const std::string_view w = peek().word;
            const bool am = namesEqual(w, "am") || namesEqual(w, "a");
            const bool pm = namesEqual(w, "pm") || namesEqual(w, "p");
            if (!am && !pm)
                return std::nullopt;
            if (*h < 1 || *h > 12)
                return std::nullopt;
            ++m_pos;
            *h = *h % 12 + (pm ? 12 : 0);
        }
        return TimeParts{*h, *m, s};
    }

    const std::array<Token, 24>& m_tokens;
    std::size_t m_pos = 0;
};

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

    TextWriter out;
    for (const PatternPart& part : parts) {
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
            out.put(DayNames[value.dayOfWeek()].substr(0, 3));
            break;
        case Field::DayName:
            out.put(DayNames[value.dayOfWeek()]);
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

std::optional<DateTime> DateTime::fromParts(int year, int month, int day, int hour, int minute,
                                            int second) {
    if (year < 100 || year > 9999 || month < 1 || month > 12)
        return std::nullopt;
    if (day < 1 || day > daysInMonth(year, month))
        return std::nullopt;
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59)
        return std::nullopt;
    const std::int64_t days = daysFromCivil(year, month, day) - ZeroDateFromUnixDays;
    return fromSeconds(days * SecondsPerDay + hour * 3600 + minute * 60 + second);
}

DateTime DateTime::fromTime(std::int64_t hours, std::int64_t minutes, std::int64_t seconds) {
    return fromSeconds(hours * 3600 + minutes * 60 + seconds);
}

int DateTime::year() const {
    return int(civilOf(*this).year);
}
int DateTime::month() const {
    return civilOf(*this).month;
}
int DateTime::day() const {
    return civilOf(*this).day;
}
int DateTime::hour() const {
    return int(timeOfDay() / 3600);
}
int DateTime::minute() const {
    return int(timeOfDay() / 60 % 60);
}
int DateTime::second() const {
    return int(timeOfDay() % 60);
}

// The zero date, December 30, 1899, was a Saturday.
int DateTime::dayOfWeek() const {
    return int(floorMod(dayNumber(*this) + 6, 7));
}

std::int64_t DateTime::timeOfDay() const {
    return floorMod(m_secs, SecondsPerDay);
}

DateTime DateTime::date() const {
    return fromSeconds(dayNumber(*this) * SecondsPerDay);
}

namespace {

std::optional<ParsedDate> readDate(std::string_view text) {
    const std::optional<Tokens> tokens = tokenize(trimBlanks(text));
    if (!tokens)
        return std::nullopt;
    return DateReader(*tokens).read();
}

} // namespace

std::optional<ParsedDate> parseDateText(std::string_view text) {
    // The counts read the same few texts (the launch time, the captured event moments) many
    // times a second, so recent results are kept. The program has one thread; the table is
    // per thread all the same, so tests running in threads stay independent. Entries hold
    // their text in place, so the table needs no construction and a lookup no allocation;
    // a text too long for an entry is simply read afresh.
    struct Entry {
        std::size_t length;
        char text[40];
        bool used;
        bool parsed;
        ParsedDate result;
        bool holds(std::string_view t) const {
            return used && length == t.size() && std::equal(t.begin(), t.end(), text);
        }
    };
    static thread_local std::array<Entry, 64> recent{};
    // Most often it is the very text read last (the launch time), found without hashing.
    static thread_local Entry* last = nullptr;
    auto result = [](const Entry& e) {
        return e.parsed ? std::optional<ParsedDate>(e.result) : std::nullopt;
    };
    if (last && last->holds(text))
        return result(*last);
    if (text.size() > sizeof Entry::text)
        return readDate(text);
    Entry& e = recent[std::hash<std::string_view>{}(text) % recent.size()];
    last = &e;
    if (e.holds(text))
        return result(e);
    const std::optional<ParsedDate> parsed = readDate(text);
    std::copy(text.begin(), text.end(), e.text);
    e.length = text.size();
    e.used = true;
    e.parsed = parsed.has_value();
    e.result = parsed.value_or(ParsedDate{});
    return parsed;
}

std::optional<DateTime> toDateTime(std::string_view text) {
    if (auto parsed = parseDateText(text))
        return parsed->value;
    return std::nullopt;
}

bool isDate(std::string_view text) {
    return parseDateText(text).has_value();
}

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

std::string formatNumber(std::int64_t value, std::string_view pattern) {
    std::size_t width = 0;
    for (char c : pattern)
        width += c == '0';
    return padded(value, width);
}

std::optional<std::int64_t> parseWholeNumber(std::string_view text) {
    text = trimBlanks(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty())
        return std::nullopt;
    // The magnitude is gathered unsigned so that the most negative number, whose magnitude
    // is one more than the largest positive one, can still be read.
    const std::uint64_t limit =
        std::uint64_t(std::numeric_limits<std::int64_t>::max()) + (negative ? 1 : 0);
    std::uint64_t magnitude = 0;
    for (char c : text) {
        if (!isDigit(c))
            return std::nullopt;
        const std::uint64_t digit = std::uint64_t(c - '0');
        if (magnitude > (limit - digit) / 10)
            return std::nullopt;
        magnitude = magnitude * 10 + digit;
    }
    return negative ? std::int64_t(std::uint64_t(0) - magnitude) : std::int64_t(magnitude);
}

std::int64_t leadingNumber(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    // Too many digits pin the value at the nearest end of the range rather than wrapping
    // round to a number of the other sign.
    const std::uint64_t limit =
        std::uint64_t(std::numeric_limits<std::int64_t>::max()) + (negative ? 1 : 0);
    std::uint64_t magnitude = 0;
    for (; i < text.size() && isDigit(text[i]); ++i) {
        const std::uint64_t digit = std::uint64_t(text[i] - '0');
        magnitude = magnitude > (limit - digit) / 10 ? limit : magnitude * 10 + digit;
    }
    return negative ? std::int64_t(std::uint64_t(0) - magnitude) : std::int64_t(magnitude);
}

} // namespace orvane
