#include "journal/debrief.h"

#include <algorithm>
#include <cmath>

// What the timeline is drawn from, gathered a record at a time and thinned to what a
// picture's pixels show.

namespace orvane {

void TimelinePoints::add(const JournalRecord& r) {
    totals.add(r);
    // The actual count: flat through holds, one second per second otherwise; a jump of the
    // count (a simulated time) shows as a step.
    const double t = double(r.trueMs), c = double(r.countSeconds);
    if (actual.empty()) {
        firstMs = r.trueMs;
    } else {
        const auto& [pt, pc] = actual.back();
        const double expected = held || heldBuiltIn ? pc : pc - (t - pt) / 1000.0;
        if (std::abs(expected - c) > 1.5)
            actual.emplace_back(t, expected);
    }
    lastMs = r.trueMs;
    actual.emplace_back(t, c);
    if (r.kind == "hold" && !held) {
        held = true;
        holds.emplace_back(t, t);
    } else if (r.kind == "resume" && held) {
        held = false;
        holds.back().second = t;
    } else if (r.kind == "built-in-hold" && !heldBuiltIn) {
        heldBuiltIn = true;
        const double planned = double(clockSeconds(r.detail("planned")).value_or(0));
        builtIns.push_back({t, t, t + planned * 1000, r.detail("label"), false});
    } else if (r.kind == "built-in-hold-end" && heldBuiltIn) {
        heldBuiltIn = false;
        BuiltInHold& b = builtIns.back();
        b.endMs = t;
        // Kept past its plan by whole seconds, as the journal tells its lengths (or, merged
        // with others, some of them were).
        const auto planned = clockSeconds(r.detail("planned")), kept = clockSeconds(r.detail("actual"));
        b.overrun = b.overrun || (planned && kept ? *kept > *planned : t > b.plannedEndMs);
    } else if (r.kind == "event-passed") {
        events.push_back({r.trueMs, r.countSeconds, r.detail("number"), r.detail("name")});
    }
    if (actual.size() > MostKept || holds.size() > MostKept || builtIns.size() > MostKept ||
        events.size() > MostKept)
        thin();
}

namespace {

// The points in spans of SPAN ms from FROM: each span's first, lowest, highest and last.
template <class Points>
void thinPoints(Points& points, double from, double span) {
    Points kept;
    for (std::size_t i = 0; i < points.size();) {
        const double at = std::floor((points[i].first - from) / span);
        std::size_t end = i, low = i, high = i;
        for (; end < points.size() && std::floor((points[end].first - from) / span) == at; ++end) {
            if (points[end].second < points[low].second)
                low = end;
            if (points[end].second > points[high].second)
                high = end;
        }
        for (std::size_t k = i; k < end; ++k)
            if (k == i || k == low || k == high || k + 1 == end)
                kept.push_back(points[k]);
        i = end;
    }
    points = std::move(kept);
}

} // namespace

// Each kind is thinned in spans that double until half the room is free: the spans stay
// below a pixel of any picture a few thousand pixels wide.
void TimelinePoints::thin() {
    const double whole = std::max(1.0, double(lastMs - firstMs));
    const std::size_t room = MostKept / 2;
    auto widen = [&](double& span) { span = span > 0 ? span * 2 : whole / double(MostKept); };
    if (actual.size() > room && m_actualSpanMs > 0)
        thinPoints(actual, double(firstMs), m_actualSpanMs);
    while (actual.size() > room) {
        widen(m_actualSpanMs);
        thinPoints(actual, double(firstMs), m_actualSpanMs);
    }
    for (bool again = m_holdGapMs > 0; holds.size() > room; again = false) {
        if (!again)
            widen(m_holdGapMs);
        std::deque<std::pair<double, double>> merged;
        for (const auto& h : holds) {
            if (!merged.empty() && h.first - merged.back().second <= m_holdGapMs)
                merged.back().second = h.second;
            else
                merged.push_back(h);
        }
        holds = std::move(merged);
    }
    for (bool again = m_builtInGapMs > 0; builtIns.size() > room; again = false) {
        if (!again)
            widen(m_builtInGapMs);
        std::deque<BuiltInHold> merged;
        for (BuiltInHold& b : builtIns) {
            if (merged.empty() || b.startMs - merged.back().endMs > m_builtInGapMs) {
                merged.push_back(std::move(b));
                continue;
            }
            // Merged, the red starts where the first of them kept past its plan began it.
            BuiltInHold& m = merged.back();
            if (!m.overrun)
                m.plannedEndMs = b.plannedEndMs;
            m.overrun = m.overrun || b.overrun;
            m.endMs = b.endMs;
        }
        builtIns = std::move(merged);
    }
    for (bool again = m_eventSpanMs > 0; events.size() > room; again = false) {
        if (!again)
            widen(m_eventSpanMs);
        std::deque<Event> kept;
        for (Event& e : events)
            if (kept.empty() || std::floor(double(e.ms - firstMs) / m_eventSpanMs) !=
                                    std::floor(double(kept.back().ms - firstMs) / m_eventSpanMs))
                kept.push_back(std::move(e));
        events = std::move(kept);
    }
}

} // namespace orvane
