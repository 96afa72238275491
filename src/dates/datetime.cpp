#include "dates/datetime.h"

#include "dates/date_detail.h"

#include <array>
#include <cstddef>
#include <limits>

namespace orvane {

using detail::appendPadded;
using detail::Civil;
using detail::civilOf;
using detail::dayNumber;
using detail::daysFromCivil;
using detail::floorMod;
using detail::isBlank;
using detail::isDigit;
using detail::PaddedBufferSize;
using detail::SecondsPerDay;
using detail::trimBlanks;
using detail::writePadded;
using detail::ZeroDateFromUnixDays;

namespace {

constexpr bool isLeapYear(std::int64_t y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

constexpr int daysInMonth(std::int64_t y, int m) {
    constexpr std::array<int, 12> lengths{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && isLeapYear(y) ? 29 : lengths[m - 1];
}

std::string padded(std::int64_t value, std::size_t width) {
    char buffer[PaddedBufferSize];
    if (const std::string_view text = writePadded(buffer, value, width); !text.empty())
        return std::string(text);
    std::string out;
    appendPadded(out, value, width);
    return out;
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
