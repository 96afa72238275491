#include "dates/datetime.h"

#include "dates/date_detail.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace orvane {

using detail::DayNames;
using detail::isBlank;
using detail::isDigit;
using detail::isLetter;
using detail::MonthNames;
using detail::toLower;
using detail::trimBlanks;

namespace {

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

std::optional<ParsedDate> readDate(std::string_view text) {
    const std::optional<Tokens> tokens = tokenize(trimBlanks(text));
    if (!tokens)
        return std::nullopt;
    return DateReader(*tokens).read();
}

} // namespace

std::optional<ParsedDate> parseDateText(std::string_view text) {
    return readDate(text);
}

std::optional<DateTime> toDateTime(std::string_view text) {
    if (auto parsed = parseDateText(text))
        return parsed->value;
    return std::nullopt;
}

std::optional<std::int64_t> toTimeOfDay(std::string_view text) {
    if (const auto t = toDateTime(text))
        return t->timeOfDay();
    return std::nullopt;
}

bool isDate(std::string_view text) {
    return parseDateText(text).has_value();
}

} // namespace orvane
