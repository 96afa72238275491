#include "events/modSecondsToTime.h"

#include "platform/datetime.h"

namespace orvane {

std::string SecondsToTime(std::int64_t secs, bool plus) {
    // The magnitude is taken unsigned, so even the most negative number has one.
    const std::uint64_t s = secs < 0 ? std::uint64_t(0) - std::uint64_t(secs) : std::uint64_t(secs);
    const std::uint64_t days = s / 86400;
    const std::uint64_t r = s % 86400;
    std::string text = plus ? "+ " : "- ";
    text += std::to_string(days);
    text += "/   ";
    text += formatNumber(std::int64_t(r / 3600), "00") + ":";
    text += formatNumber(std::int64_t(r % 3600 / 60), "00") + ":";
    text += formatNumber(std::int64_t(r % 60), "00");
    return text;
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
