#include "model/countdown_plan.h"

#include <algorithm>
#include <cstdio>

namespace orvane {

std::optional<std::string> checkBuiltInHold(const BuiltInHold& hold) {
    if (hold.tSeconds < 1)
        return "The T-time must be before T-0.";
    if (hold.tSeconds > CountdownPlan::MaxSeconds)
        return "The T-time must be at most T-99:00:00.";
    if (hold.lengthSeconds < 1 || hold.lengthSeconds > CountdownPlan::MaxSeconds)
        return "The length must be from 0:00:01 to 99:00:00.";
    // The label is UTF-8 text on one line, counted in characters.
    std::size_t characters = 0;
    for (std::size_t i = 0; i < hold.label.size(); ++characters) {
        const auto c = static_cast<unsigned char>(hold.label[i]);
        if (c < 0x20 || c == 0x7f)
            return "The label must not hold control characters.";
        const std::size_t n = c < 0x80             ? 1
                              : (c & 0xE0) == 0xC0 ? 2
                              : (c & 0xF0) == 0xE0 ? 3
                              : (c & 0xF8) == 0xF0 ? 4
                                                   : 0;
        if (n == 0 || c == 0xC0 || c == 0xC1 || c > 0xF4 || i + n > hold.label.size())
            return "The label is not UTF-8 text.";
        for (std::size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(hold.label[i + k]) & 0xC0) != 0x80)
                return "The label is not UTF-8 text.";
        i += n;
    }
    if (characters > CountdownPlan::MaxLabel)
        return "The label must be at most 60 characters.";
    return std::nullopt;
}

std::optional<std::string> CountdownPlan::check(const BuiltInHold& hold,
                                                std::optional<std::size_t> replacing) const {
    if (auto wrong = checkBuiltInHold(hold))
        return wrong;
    if (!replacing && m_holds.size() >= MaxHolds)
        return "A plan has at most 50 built-in holds.";
    for (std::size_t i = 0; i < m_holds.size(); ++i)
        if (i != replacing && m_holds[i].tSeconds == hold.tSeconds)
            return "Another built-in hold is at " + ("T-" + formatHms(hold.tSeconds)) + ".";
    return std::nullopt;
}

void CountdownPlan::sort() {
    std::stable_sort(m_holds.begin(), m_holds.end(),
                     [](const auto& a, const auto& b) { return a.tSeconds > b.tSeconds; });
}

std::optional<std::string> CountdownPlan::add(const BuiltInHold& hold) {
    if (auto wrong = check(hold, std::nullopt))
        return wrong;
    m_holds.push_back(hold);
    sort();
    return std::nullopt;
}

std::optional<std::string> CountdownPlan::replace(std::size_t n, const BuiltInHold& hold) {
    if (n >= m_holds.size())
        return "There is no such built-in hold.";
    if (auto wrong = check(hold, n))
        return wrong;
    m_holds[n] = hold;
    sort();
    return std::nullopt;
}

void CountdownPlan::remove(std::size_t n) {
    if (n < m_holds.size())
        m_holds.erase(m_holds.begin() + std::ptrdiff_t(n));
}

void CountdownPlan::clear() {
    m_holds.clear();
    m_callouts.clear();
    m_standing.reset();
    m_endedAt.reset();
}

std::optional<BuiltInHold> CountdownPlan::holdDueAt(std::int64_t tMinus) {
    if (m_standing)
        return std::nullopt;
    if (m_endedAt && *m_endedAt != tMinus)
        m_endedAt.reset();
    if (m_endedAt)
        return std::nullopt;
    for (const BuiltInHold& h : m_holds)
        if (h.tSeconds == tMinus)
            return h;
    return std::nullopt;
}

void CountdownPlan::begin(const BuiltInHold& hold, std::int64_t elapsed) {
    m_standing = hold;
    m_planned = hold.lengthSeconds;
    m_elapsed = elapsed;
    m_plannedEndTaken = false;
    m_endedAt.reset();
}

void CountdownPlan::extend(std::int64_t seconds) {
    if (m_standing && !m_standing->waits)
        m_standing->lengthSeconds = std::min(m_standing->lengthSeconds + seconds, 2 * MaxSeconds);
}

void CountdownPlan::makeWait() {
    if (m_standing)
        m_standing->waits = true;
}

bool CountdownPlan::due() const {
    return m_standing && !m_standing->waits && m_elapsed >= m_standing->lengthSeconds;
}

std::int64_t CountdownPlan::left() const {
    return m_standing ? m_standing->lengthSeconds - m_elapsed : 0;
}

void CountdownPlan::end() {
    if (m_standing)
        m_endedAt = m_standing->tSeconds;
    m_standing.reset();
    m_elapsed = 0;
}

std::int64_t CountdownPlan::timeAhead(std::int64_t tMinus) const {
    std::int64_t ahead = 0;
    if (m_standing) {
        ahead = std::max<std::int64_t>(left(), 0);
        for (const BuiltInHold& h : m_holds)
            if (h.tSeconds < m_standing->tSeconds)
                ahead += h.lengthSeconds;
        return ahead;
    }
    for (const BuiltInHold& h : m_holds)
        if (h.tSeconds < tMinus || (h.tSeconds == tMinus && m_endedAt != tMinus))
            ahead += h.lengthSeconds;
    return ahead;
}

std::int64_t CountdownPlan::countAfter(std::int64_t tMinus, std::int64_t seconds) const {
    std::int64_t count = tMinus, rest = seconds;
    if (rest <= 0)
        return count - rest;
    if (m_standing) {
        const std::int64_t standing = std::max<std::int64_t>(left(), 0);
        if (rest <= standing)
            return count;
        rest -= standing;
    }
    for (const BuiltInHold& h : m_holds) {
        const bool ahead =
            m_standing ? h.tSeconds < m_standing->tSeconds
                       : h.tSeconds < tMinus || (h.tSeconds == tMinus && m_endedAt != tMinus);
        if (!ahead || h.tSeconds > count)
            continue;
        if (rest <= count - h.tSeconds)
            return count - rest;
        rest -= count - h.tSeconds;
        count = h.tSeconds;
        // The count shows the hold's T-time from the second it reaches it to its end.
        if (rest <= h.lengthSeconds)
            return count;
        rest -= h.lengthSeconds;
    }
    return count - rest;
}

CountdownPlan::Placement CountdownPlan::placeLiftoff(std::int64_t secondsToLiftoff) const {
    Placement p;
    // From the last hold up: each begins when the count, having stood in every hold below
    // it, would still have its T-time and its own length to go.
    for (auto h = m_holds.rbegin(); h != m_holds.rend(); ++h) {
        const std::int64_t untilBegin = secondsToLiftoff - h->tSeconds - h->lengthSeconds - p.ahead;
        if (untilBegin > 0) {
            p.ahead += h->lengthSeconds;
            continue;
        }
        if (untilBegin + h->lengthSeconds > 0) {
            p.entering = *h;
            p.elapsed = -untilBegin;
            p.ahead += h->lengthSeconds - p.elapsed;
        }
        break;
    }
    return p;
}

std::int64_t LeaderPlan::liftoffAt(std::int64_t now) const {
    if (!holding || now <= told)
        return liftoff;
    if (!holdLabel)
        return liftoff + (now - told);
    const auto overrun = [](std::int64_t left) { return left < 0 ? -left : 0; };
    return liftoff + overrun(holdLeftAt(now)) - overrun(holdLeft);
}

std::string formatHms(std::int64_t seconds) {
    const std::int64_t s = seconds < 0 ? -seconds : seconds;
    char text[64];
    std::snprintf(text, sizeof text, "%s%lld:%02lld:%02lld", seconds < 0 ? "-" : "",
                  static_cast<long long>(s / 3600), static_cast<long long>(s / 60 % 60),
                  static_cast<long long>(s % 60));
    return text;
}

std::optional<std::int64_t> readHms(const std::string& text) {
    unsigned h = 0, m = 0, s = 0;
    char tail = 0;
    if (text.size() < 5 || text.size() > 9 ||
        std::sscanf(text.c_str(), "%u:%2u:%2u%c", &h, &m, &s, &tail) != 3 || m > 59 || s > 59)
        return std::nullopt;
    const std::size_t colon = text.find(':');
    if (colon == 0 || colon > 2 || text.size() - colon != 6 ||
        text.find_first_not_of("0123456789:") != std::string::npos)
        return std::nullopt;
    return std::int64_t(h) * 3600 + m * 60 + s;
}

} // namespace orvane
