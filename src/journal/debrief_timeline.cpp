#include "journal/debrief.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace orvane {

namespace {

constexpr std::uint32_t HoldFill = 0xFFE7A3;
// A built-in hold is blue, apart from the yellow of a hold by hand, with a darker edge along
// its top; the time it was kept past its planned end is red, from a dashed line where it was
// planned to end.
constexpr std::uint32_t BuiltInFill = 0xCFE0F3;
constexpr std::uint32_t BuiltInEdge = 0x5B8CC9;
constexpr std::uint32_t OverrunFill = 0xF5C2BA;
constexpr std::uint32_t OverrunEdge = 0xC0392B;
constexpr std::uint32_t Grey = 0x9A9A9A;
constexpr std::uint32_t Ink = 0x202020;
constexpr std::uint32_t ActualColor = 0x1F5FBF;
constexpr std::uint32_t EventColor = 0x2E8B57;
constexpr std::uint32_t LiftoffColor = 0xC0392B;

// Maps time (Unix ms) and count (seconds to launch) onto the plot area.
struct Plot {
    double left, top, right, bottom;
    double t0, t1, c0, c1; // c0 at the bottom, c1 at the top
    double x(double ms) const { return left + (ms - t0) / (t1 - t0) * (right - left); }
    double y(double count) const { return bottom - (count - c0) / (c1 - c0) * (bottom - top); }
};

std::string countLabel(double seconds) {
    const auto s = std::int64_t(std::llround(seconds));
    return std::string(s > 0 ? "T - " : "T + ") + durationText(std::llabs(s));
}

DrawItem text(double x, double y, std::string what, double size, std::uint32_t color,
              DrawItem::Anchor anchor = DrawItem::Anchor::Start) {
    DrawItem t;
    t.kind = DrawItem::Kind::Text;
    t.points = {{x, y}};
    t.size = size;
    t.color = color;
    t.anchor = anchor;
    t.text = std::move(what);
    return t;
}

DrawItem line(std::vector<std::pair<double, double>> points, std::uint32_t color, double width,
              bool dashed = false) {
    DrawItem l;
    l.kind = DrawItem::Kind::Line;
    l.points = std::move(points);
    l.color = color;
    l.strokeWidth = width;
    l.dashed = dashed;
    return l;
}

DrawItem dot(double x, double y, double r, std::uint32_t color, std::uint32_t fill) {
    DrawItem c;
    c.kind = DrawItem::Kind::Circle;
    c.points = {{x, y}};
    c.size = r;
    c.color = color;
    c.fill = fill;
    c.strokeWidth = 2;
    return c;
}

DrawItem band(double x0, double x1, double top, double bottom, std::uint32_t fill, std::string role,
              std::vector<std::pair<std::string, std::string>> data) {
    DrawItem b;
    b.kind = DrawItem::Kind::Rect;
    b.points = {{x0, top}, {x1, bottom}};
    b.color = fill;
    b.fill = fill;
    b.strokeWidth = 0;
    b.role = std::move(role);
    b.data = std::move(data);
    return b;
}

constexpr double LegendSwatch = 14;

// Where a text is drawn, as a box: its width reckoned generously from its characters.
struct Box {
    double x0, y0, x1, y1;
    bool meets(const Box& o) const { return x0 < o.x1 && o.x0 < x1 && y0 < o.y1 && o.y0 < y1; }
};

Box boxOf(const DrawItem& t) {
    const double width = double(t.text.size()) * t.size * (t.bold ? 0.68 : 0.62);
    double x0 = t.points[0].first;
    if (t.anchor == DrawItem::Anchor::Middle)
        x0 -= width / 2;
    else if (t.anchor == DrawItem::Anchor::End)
        x0 -= width;
    const double base = t.points[0].second;
    return {x0, base - t.size * 1.05, x0 + width, base + t.size * 0.3};
}

// The picture's texts, none over another: a label whose place is taken moves up or down to
// the nearest free place within the picture, and is left out when there is none (its mark
// stays, and the table tells it). What it keeps is bounded by the picture's area.
class Labels {
  public:
    explicit Labels(double height) : m_height(height) {}
    DrawItem fixed(DrawItem t) {
        m_placed.push_back(boxOf(t));
        return t;
    }
    std::optional<DrawItem> place(DrawItem t) {
        const double at = t.points[0].second;
        for (int step = 0; step < 16; ++step) {
            const double shift = ((step + 1) / 2) * t.size * 1.4 * (step % 2 ? 1 : -1);
            t.points[0].second = at + shift;
            const Box box = boxOf(t);
            if (box.y0 < 0 || box.y1 > m_height)
                continue;
            if (std::ranges::none_of(m_placed, [&](const Box& b) { return b.meets(box); })) {
                m_placed.push_back(box);
                return t;
            }
        }
        return std::nullopt;
    }

  private:
    double m_height;
    std::vector<Box> m_placed;
};

} // namespace

Drawing runTimeline(const std::vector<JournalRecord>& run, const TimeZone& zone, double width,
                    double height) {
    TimelinePoints points;
    for (const JournalRecord& r : run)
        points.add(r);
    Drawing d;
    d.width = width;
    d.height = height;
    drawTimeline(points, zone, width, height,
                 [&](DrawItem&& item) { d.items.push_back(std::move(item)); });
    return d;
}

void drawTimeline(const TimelinePoints& points, const TimeZone& zone, double width, double height,
                  const std::function<void(DrawItem&&)>& emit) {
    if (points.empty())
        return;
    const RunTotals totals = points.totals.totals();
    const double planned = double(*totals.plannedLaunchMs);
    const auto& actual = points.actual;
    const double lastHoldEnd = points.held ? double(points.lastMs) : 0;

    Plot p{70, 24, width - 24, height - 44, double(points.firstMs), double(points.lastMs), 0, 0};
    if (totals.liftoffMs) {
        p.t1 = std::max(p.t1, std::max(planned, double(*totals.liftoffMs)));
        p.t0 = std::min(p.t0, planned);
    }
    if (p.t1 - p.t0 < 10000)
        p.t1 = p.t0 + 10000;
    const double span = p.t1 - p.t0;
    p.t0 -= span * 0.03;
    p.t1 += span * 0.03;
    auto plannedCount = [&](double ms) { return (planned - ms) / 1000.0; };
    p.c0 = p.c1 = actual.front().second;
    for (const auto& [t, c] : actual) {
        p.c0 = std::min(p.c0, c);
        p.c1 = std::max(p.c1, c);
    }
    for (double t : {p.t0, p.t1}) {
        p.c0 = std::min(p.c0, plannedCount(t));
        p.c1 = std::max(p.c1, plannedCount(t));
    }
    if (p.c1 - p.c0 < 10)
        p.c1 = p.c0 + 10;
    const double rise = p.c1 - p.c0;
    p.c0 -= rise * 0.05;
    p.c1 += rise * 0.05;

    for (std::size_t i = 0; i < points.holds.size(); ++i) {
        const double start = points.holds[i].first;
        const double end = points.held && i + 1 == points.holds.size() ? lastHoldEnd : points.holds[i].second;
        DrawItem h;
        h.kind = DrawItem::Kind::Rect;
        h.points = {{p.x(start), p.top}, {std::max(p.x(end), p.x(start) + 1), p.bottom}};
        h.color = HoldFill;
        h.fill = HoldFill;
        h.strokeWidth = 0;
        h.role = "hold";
        h.data = {{"start-ms", std::to_string(std::int64_t(start))},
                  {"end-ms", std::to_string(std::int64_t(end))}};
        emit(std::move(h));
    }
    bool anyOverrun = false;
    for (std::size_t i = 0; i < points.builtIns.size(); ++i) {
        const TimelinePoints::BuiltInHold& b = points.builtIns[i];
        // One still standing at the run's end lasts to it, kept past its plan once it is past.
        const bool standing = points.heldBuiltIn && i + 1 == points.builtIns.size();
        const double end = standing ? double(points.lastMs) : b.endMs;
        const bool overrun = standing ? end > b.plannedEndMs : b.overrun;
        const double x0 = p.x(b.startMs), x1 = std::max(p.x(end), x0 + 1);
        emit(band(x0, x1, p.top, p.bottom, BuiltInFill, "built-in-hold",
                  {{"start-ms", std::to_string(std::int64_t(b.startMs))},
                   {"end-ms", std::to_string(std::int64_t(end))},
                   {"planned-end-ms", std::to_string(std::int64_t(b.plannedEndMs))},
                   {"label", b.label}}));
        emit(band(x0, x1, p.top, p.top + 4, BuiltInEdge, "", {}));
        if (!overrun)
            continue;
        anyOverrun = true;
        const double from = std::clamp(b.plannedEndMs, b.startMs, end);
        const double xo = p.x(from);
        emit(band(xo, std::max(p.x(end), xo + 1), p.top, p.bottom, OverrunFill, "built-in-overrun",
                  {{"from-ms", std::to_string(std::int64_t(from))},
                   {"end-ms", std::to_string(std::int64_t(end))}}));
        emit(line({{xo, p.top}, {xo, p.bottom}}, OverrunEdge, 1.5, true));
    }

    // Axes, with five marks each: the local time across, the count up the side.
    Labels labels(height);
    // The bands' legend, along the top right above the plot: only the kinds the run has.
    std::vector<std::pair<std::uint32_t, std::string>> legend;
    if (!points.holds.empty())
        legend.emplace_back(HoldFill, "hold");
    if (!points.builtIns.empty())
        legend.emplace_back(BuiltInFill, "built-in hold");
    if (anyOverrun)
        legend.emplace_back(OverrunFill, "past its planned end");
    double legendX = p.right;
    for (const auto& [fill, name] : legend)
        legendX -= LegendSwatch + 5 + boxOf(text(0, 0, name, 11, Ink)).x1 + 14;
    for (const auto& [fill, name] : legend) {
        DrawItem swatch = band(legendX, legendX + LegendSwatch, 7, 17, fill, "legend", {{"for", name}});
        swatch.color = Grey;
        swatch.strokeWidth = 1;
        emit(std::move(swatch));
        const DrawItem label = labels.fixed(text(legendX + LegendSwatch + 5, 16, name, 11, Ink));
        legendX = boxOf(label).x1 + 14;
        emit(DrawItem(label));
    }
    emit(line({{p.left, p.top}, {p.left, p.bottom}, {p.right, p.bottom}}, Ink, 1));
    for (int i = 0; i <= 4; ++i) {
        const double ms = p.t0 + (p.t1 - p.t0) * (0.05 + 0.225 * i);
        const double x = p.x(ms);
        emit(line({{x, p.bottom}, {x, p.bottom + 5}}, Ink, 1));
        const std::string local = localText(std::int64_t(ms), zone);
        emit(labels.fixed(text(x, p.bottom + 19, local.substr(11, 8), 11, Ink, DrawItem::Anchor::Middle)));
        const double c = p.c0 + (p.c1 - p.c0) * (0.05 + 0.225 * i);
        const double y = p.y(c);
        emit(line({{p.left - 5, y}, {p.left, y}}, Ink, 1));
        emit(labels.fixed(text(p.left - 8, y + 4, countLabel(c), 10, Ink, DrawItem::Anchor::End)));
    }
    emit(labels.fixed(text((p.left + p.right) / 2, height - 6, "local time", 11, Grey,
                      DrawItem::Anchor::Middle)));
    if (p.c0 < 0 && p.c1 > 0)
        emit(line({{p.left, p.y(0)}, {p.right, p.y(0)}}, Grey, 1));

    DrawItem plannedLine = line({{p.x(p.t0), p.y(plannedCount(p.t0))}, {p.x(p.t1), p.y(plannedCount(p.t1))}},
                                Grey, 1.5, true);
    plannedLine.role = "planned";
    emit(std::move(plannedLine));
    std::vector<std::pair<double, double>> path;
    path.reserve(actual.size());
    for (const auto& [t, c] : actual)
        path.emplace_back(p.x(t), p.y(c));
    DrawItem actualLine = line(std::move(path), ActualColor, 2.5);
    actualLine.role = "actual";
    emit(std::move(actualLine));

    // The liftoff's labels are placed first: they matter most. They are drawn after the
    // events' marks, and the events' labels after them.
    std::vector<DrawItem> liftoffItems;
    if (totals.liftoffMs) {
        const double y0 = p.y(0), xa = p.x(double(*totals.liftoffMs)), xp = p.x(planned);
        DrawItem plannedMark = dot(xp, y0, 6, Grey, Drawing::NoFill);
        plannedMark.role = "planned-liftoff";
        liftoffItems.push_back(std::move(plannedMark));
        const DrawItem plannedLabel = text(xp, y0 + 20, "planned liftoff", 11, Grey, DrawItem::Anchor::Middle);
        DrawItem liftoff = dot(xa, y0, 6, LiftoffColor, LiftoffColor);
        liftoff.role = "liftoff";
        liftoff.data = {{"at-ms", std::to_string(*totals.liftoffMs)}};
        liftoffItems.push_back(std::move(liftoff));
        auto place = [&](DrawItem t) {
            if (auto placed = labels.place(std::move(t)))
                liftoffItems.push_back(std::move(*placed));
        };
        place(text(xa, y0 - 12, "Liftoff", 12, LiftoffColor, DrawItem::Anchor::Middle));
        if (*totals.slipSeconds != 0) {
            liftoffItems.push_back(line({{xp, y0 + 28}, {xa, y0 + 28}}, LiftoffColor, 1));
            DrawItem slip = text((xp + xa) / 2, y0 + 42,
                                 "slip " + durationText(*totals.slipSeconds), 12, LiftoffColor,
                                 DrawItem::Anchor::Middle);
            slip.bold = true;
            place(std::move(slip));
        }
        place(plannedLabel);
    }
    // Only the labels that found a place wait, and the picture has room for few.
    std::vector<DrawItem> eventLabels;
    for (const TimelinePoints::Event& e : points.events) {
        const double x = p.x(double(e.ms)), y = p.y(double(e.count));
        DrawItem mark = dot(x, y, 5, EventColor, EventColor);
        mark.role = "event";
        mark.data = {{"at-ms", std::to_string(e.ms)}, {"number", e.number}};
        emit(std::move(mark));
        if (auto placed = labels.place(text(x + 7, y - 7, e.name, 11, EventColor)))
            eventLabels.push_back(std::move(*placed));
    }
    for (DrawItem& item : liftoffItems)
        emit(std::move(item));
    for (DrawItem& label : eventLabels)
        emit(std::move(label));
}

} // namespace orvane
