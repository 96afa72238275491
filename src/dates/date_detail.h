#pragma once

// Pieces the date services share between their files: the calendar arithmetic, the character
// tests, the month and day names and the zero padding of numbers. They are inline so that the
// counts, which format and read dates on every tick, still have them inlined.

#include "dates/datetime.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace orvane::detail {

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

inline std::int64_t dayNumber(DateTime t) {
    return floorDiv(t.seconds(), SecondsPerDay);
}

inline Civil civilOf(DateTime t) {
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

inline std::string_view trimBlanks(std::string_view s) {
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

inline std::string_view writePadded(char (&buffer)[PaddedBufferSize], std::int64_t value,
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

inline void appendPadded(std::string& out, std::int64_t value, std::size_t width) {
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

} // namespace orvane::detail
