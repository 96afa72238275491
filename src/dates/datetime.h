#pragma once

// Naive local date-times to the whole second, and the date texts the program writes and
// reads. Texts are always English and US-ordered, whatever the machine's locale, so that a
// launch data file written on one machine reads on another.

#include <compare>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orvane {

// Seconds since the zero date-time, December 30, 1899 00:00:00. A time of day on its own
// ("0:05:00") is a date-time on that zero date, as the launch window keeps it.
class DateTime {
  public:
    constexpr DateTime() = default;
    static constexpr DateTime fromSeconds(std::int64_t s) {
        DateTime d;
        d.m_secs = s;
        return d;
    }
    // Empty when the parts do not make a real date and time (February 29, 2003; 24:00:00).
    static std::optional<DateTime> fromParts(int year, int month, int day, int hour = 0,
                                             int minute = 0, int second = 0);
    // A time value on the zero date; the parts may overflow (61 seconds is 0:01:01).
    static DateTime fromTime(std::int64_t hours, std::int64_t minutes, std::int64_t seconds);

    constexpr std::int64_t seconds() const { return m_secs; }
    int year() const;
    int month() const; // 1 to 12
    int day() const;   // 1 to 31
    int hour() const;
    int minute() const;
    int second() const;
    int dayOfWeek() const; // 0 Sunday to 6 Saturday
    // Seconds since midnight, 0 to 86399.
    std::int64_t timeOfDay() const;
    // Midnight of the same day.
    DateTime date() const;

    DateTime addSeconds(std::int64_t s) const { return fromSeconds(m_secs + s); }
    DateTime addDays(std::int64_t d) const { return fromSeconds(m_secs + d * 86400); }

    constexpr auto operator<=>(const DateTime&) const = default;

  private:
    std::int64_t m_secs = 0;
};

// The date difference in whole seconds: to - from.
inline std::int64_t secondsBetween(DateTime from, DateTime to) {
    return to.seconds() - from.seconds();
}

struct ParsedDate {
    DateTime value;
    bool hasDate = false; // the text named a date
    bool hasTime = false; // the text named a time of day
};

// The general date parsing, for the texts the program writes and a user types:
//  - dates: month names in full, three letters or "Sept", with or without the comma
//    ("May 3, 2001", "May 03 2001", "3 May 2001"); m/d/yyyy and m/d/yy; yyyy-mm-dd;
//    d-Mon-yyyy ("3-May-2001");
//  - times: h:mm or h:mm:ss, with or without AM/PM ("10:30", "10:30:00 PM");
//  - a date followed by a time, separated by blanks ("May 03, 2001   10:30:00 AM",
//    "5/3/2001 10:30:00 AM").
// Two-digit years 00 to 29 are 2000 to 2029, 30 to 99 are 1930 to 1999. Years run from 100
// to 9999. Impossible dates are refused. A time alone lies on the zero date; a date alone at
// midnight. Leading and trailing blanks are ignored.
std::optional<ParsedDate> parseDateText(std::string_view text);
// The date-time of a text, or empty when the text is not one.
std::optional<DateTime> toDateTime(std::string_view text);
// The seconds into its day of a text's date-time ("0:05:00" is 300), or empty when the text
// is not a date-time: what is left of a launch window, as captions and messages show it.
std::optional<std::int64_t> toTimeOfDay(std::string_view text);
bool isDate(std::string_view text);

// Formats with a date pattern or a named format. Pattern letters: d dd ddd dddd, m mm mmm
// mmmm (m after h or before s means minutes), yy yyyy, h hh, n nn (minutes), s ss, AM/PM,
// am/pm, A/P; anything else is copied. With AM/PM the hour runs 12, 1 .. 11.
// Named formats: "General Date" ("5/3/2001 10:30:00 AM"; the date alone when the time is
// midnight; the time alone on the zero date), "Short Date" ("5/3/2001"),
// "Long Time" ("10:30:00 AM"), "Short Time" ("10:30").
std::string formatDate(DateTime value, std::string_view pattern);

// Formats a whole number with a digit pattern such as "000" or "00": zero-padded to the
// pattern's width, more digits when the number needs them, a leading "-" when negative.
std::string formatNumber(std::int64_t value, std::string_view pattern);

// A text that is a whole number and nothing else (blanks around it allowed, an optional
// sign); empty otherwise.
std::optional<std::int64_t> parseWholeNumber(std::string_view text);

// The numeric value read from the start of a text: blanks, an optional sign, then digits,
// stopping at the first other character; 0 when there are no digits ("-600" is -600,
// "600" is 600, "" is 0, "+ 5" is 0).
std::int64_t leadingNumber(std::string_view text);

} // namespace orvane
