#include "callouts/plan_phrases.h"

namespace orvane {

std::string numberInWords(std::int64_t n) {
    static const char* const ones[] = {"zero",    "one",     "two",       "three",    "four",
                                       "five",    "six",     "seven",     "eight",    "nine",
                                       "ten",     "eleven",  "twelve",    "thirteen", "fourteen",
                                       "fifteen", "sixteen", "seventeen", "eighteen", "nineteen"};
    static const char* const tens[] = {"",      "",      "twenty",  "thirty", "forty",
                                       "fifty", "sixty", "seventy", "eighty", "ninety"};
    if (n < 0 || n > 99)
        return std::to_string(n);
    if (n < 20)
        return ones[n];
    return std::string(tens[n / 10]) + (n % 10 ? std::string("-") + ones[n % 10] : "");
}

namespace {

std::string amount(std::int64_t n, const char* unit) {
    return numberInWords(n) + " " + unit + (n == 1 ? "" : "s");
}

} // namespace

std::string builtInHoldPhrase(std::int64_t tSeconds, bool holding) {
    const std::int64_t hours = tSeconds / 3600, minutes = tSeconds / 60 % 60,
                       seconds = tSeconds % 60;
    std::string when;
    auto add = [&when](const std::string& part) { when += (when.empty() ? "" : " ") + part; };
    if (hours)
        add(amount(hours, "hour"));
    if (minutes)
        add(amount(minutes, "minute"));
    if (seconds || when.empty())
        add(amount(seconds, "second"));
    return "T minus " + when + (holding ? " and holding" : " and counting");
}

} // namespace orvane
