#include "model/plan_format.h"

#include <cstdio>

namespace orvane {

namespace {

// The next blank-ended word of LINE from POS.
std::string_view word(std::string_view line, std::size_t& pos) {
    const std::size_t end = std::min(line.find(' ', pos), line.size());
    const std::string_view w = line.substr(pos, end - pos);
    pos = end < line.size() ? end + 1 : end;
    return w;
}

std::optional<std::string> readHold(std::string_view line, CountdownPlan& plan) {
    std::size_t pos = 0;
    const std::string_view at = word(line, pos);
    const std::string_view length = word(line, pos);
    const std::string_view ends = word(line, pos);
    const std::optional<std::int64_t> t =
        at.starts_with("T-") ? readHms(std::string(at.substr(2))) : std::nullopt;
    if (!t)
        return "\"" + std::string(at) + "\" is not a T-time such as T-00:20:00";
    const std::optional<std::int64_t> seconds = readHms(std::string(length));
    if (!seconds)
        return "\"" + std::string(length) + "\" is not a length such as 00:10:00";
    if (ends != "ends" && ends != "waits")
        return "a built-in hold \"ends\" or \"waits\", not \"" + std::string(ends) + "\"";
    if (auto wrong = plan.add({*t, *seconds, std::string(line.substr(pos)), ends == "waits"}))
        return wrong;
    return std::nullopt;
}

constexpr std::string_view CalloutWord = "callout ";

std::optional<std::string> readCallout(std::string_view line, CountdownPlan& plan) {
    std::string wrong;
    const std::optional<CalloutEntry> entry =
        readCalloutEntry(std::string(line.substr(CalloutWord.size())), wrong);
    if (!entry)
        return "callout: " + wrong;
    if (auto bad = checkCalloutEntry(plan.callouts(), *entry, std::nullopt))
        return "callout: " + *bad;
    plan.callouts().push_back(*entry);
    return std::nullopt;
}

} // namespace

PlanFileRead parsePlanFile(std::string_view content) {
    PlanFileRead r;
    if (content.size() > PlanFileLimit) {
        r.problem = "it is larger than 16 KiB, too large for a countdown plan";
        return r;
    }
    CountdownPlan plan;
    int number = 0;
    bool header = false;
    while (!content.empty()) {
        ++number;
        const std::size_t eol = content.find('\n');
        std::string_view line = content.substr(0, eol);
        content = eol == std::string_view::npos ? std::string_view() : content.substr(eol + 1);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        const std::string at = "line " + std::to_string(number) + ": ";
        if (!header) {
            if (line != PlanFileHeader) {
                r.problem = at + "it is not a countdown plan (the first line must read \"" +
                            PlanFileHeader + "\")";
                return r;
            }
            header = true;
            continue;
        }
        if (line.empty() || line.starts_with('#'))
            continue;
        if (auto wrong = line.starts_with(CalloutWord) ? readCallout(line, plan)
                                                       : readHold(line, plan)) {
            r.problem = at + *wrong;
            return r;
        }
    }
    if (!header) {
        r.problem = "the file is empty";
        return r;
    }
    r.plan = std::move(plan);
    return r;
}

std::string formatPlanFile(const CountdownPlan& plan) {
    std::string text = std::string(PlanFileHeader) + "\n";
    for (const BuiltInHold& h : plan.holds())
        text += "T-" + planHms(h.tSeconds) + " " + planHms(h.lengthSeconds) + " " +
                (h.waits ? "waits" : "ends") + " " + h.label + "\n";
    for (const CalloutEntry& e : plan.callouts())
        text += std::string(CalloutWord) + formatCalloutEntry(e) + "\n";
    return text;
}

std::string planHms(std::int64_t s) {
    char text[64];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", static_cast<long long>(s / 3600),
                  static_cast<long long>(s / 60 % 60), static_cast<long long>(s % 60));
    return text;
}

} // namespace orvane
