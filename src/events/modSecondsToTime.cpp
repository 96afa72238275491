#include "events/modSecondsToTime.h"

#include "dates/datetime.h"

namespace orvane {

std::string SecondsToTime(std::int64_t secs, bool plus) {
    // The magnitude is taken unsigned, so even the most negative number has one.
    const std::uint64_t s = secs < 0 ? std::uint64_t(0) - std::uint64_t(secs) : std::uint64_t(secs);
    const std::uint64_t r = s % 86400;
    // The board writes ten of these on every tick, so the text is put together in one buffer:
    // the sign, the days as a plain number, then hours, minutes and seconds as two digits each.
    char text[48];
    char* end = text + sizeof text;
    char* p = end;
    auto twoDigits = [&p](std::uint64_t v) {
        *--p = char('0' + v % 10);
        *--p = char('0' + v / 10);
    };
    twoDigits(r % 60);
    *--p = ':';
    twoDigits(r % 3600 / 60);
    *--p = ':';
    twoDigits(r / 3600);
    for (const char c : {' ', ' ', ' ', '/'})
        *--p = c;
    std::uint64_t days = s / 86400;
    do {
        *--p = char('0' + days % 10);
        days /= 10;
    } while (days != 0);
    *--p = ' ';
    *--p = plus ? '+' : '-';
    return std::string(p, end);
}

std::string EventDefinitionText(std::int32_t secs, const std::string& sign) {
    const std::int32_t days = secs / 86400;
    std::int32_t r = secs % 86400;
    const std::int32_t hours = r / 3600;
    r %= 3600;
    return sign + " " + std::to_string(days) + " /  " + formatNumber(hours, "00") + ":" +
           formatNumber(r / 60, "00") + ":" + formatNumber(r % 60, "00");
}

} // namespace orvane
