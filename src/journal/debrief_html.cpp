#include "journal/debrief.h"

#include <cstdio>

namespace orvane {

namespace {

std::string escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string number(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", v);
    return text;
}

std::string colour(std::uint32_t rgb) {
    if (rgb == Drawing::NoFill)
        return "none";
    char text[8];
    std::snprintf(text, sizeof text, "#%06X", unsigned(rgb & 0xFFFFFF));
    return text;
}

std::string roleAttributes(const DrawItem& item) {
    std::string out;
    if (!item.role.empty())
        out += " class=\"" + escaped(item.role) + "\"";
    for (const auto& [name, value] : item.data)
        out += " data-" + escaped(name) + "=\"" + escaped(value) + "\"";
    return out;
}

} // namespace

std::string drawingSvg(const Drawing& drawing) {
    std::string out = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + number(drawing.width) +
                      "\" height=\"" + number(drawing.height) + "\" viewBox=\"0 0 " +
                      number(drawing.width) + " " + number(drawing.height) +
                      "\" font-family=\"sans-serif\">\n";
    for (const DrawItem& item : drawing.items) {
        const std::string attrs = roleAttributes(item);
        switch (item.kind) {
        case DrawItem::Kind::Line: {
            std::string points;
            for (const auto& [x, y] : item.points)
                points += (points.empty() ? "" : " ") + number(x) + "," + number(y);
            out += "<polyline" + attrs + " points=\"" + points + "\" fill=\"none\" stroke=\"" +
                   colour(item.color) + "\" stroke-width=\"" + number(item.strokeWidth) + "\"" +
                   (item.dashed ? " stroke-dasharray=\"6 4\"" : "") + "/>\n";
            break;
        }
        case DrawItem::Kind::Rect: {
            const auto [x0, y0] = item.points[0];
            const auto [x1, y1] = item.points[1];
            out += "<rect" + attrs + " x=\"" + number(x0) + "\" y=\"" + number(y0) +
                   "\" width=\"" + number(x1 - x0) + "\" height=\"" + number(y1 - y0) +
                   "\" fill=\"" + colour(item.fill) + "\"/>\n";
            break;
        }
        case DrawItem::Kind::Circle:
            out += "<circle" + attrs + " cx=\"" + number(item.points[0].first) + "\" cy=\"" +
                   number(item.points[0].second) + "\" r=\"" + number(item.size) + "\" fill=\"" +
                   colour(item.fill) + "\" stroke=\"" + colour(item.color) + "\" stroke-width=\"" +
                   number(item.strokeWidth) + "\"/>\n";
            break;
        case DrawItem::Kind::Text: {
            const char* anchor = item.anchor == DrawItem::Anchor::Middle ? "middle"
                                 : item.anchor == DrawItem::Anchor::End  ? "end"
                                                                         : "start";
            out += "<text" + attrs + " x=\"" + number(item.points[0].first) + "\" y=\"" +
                   number(item.points[0].second) + "\" font-size=\"" + number(item.size) +
                   "\" fill=\"" + colour(item.color) + "\" text-anchor=\"" + anchor + "\"" +
                   (item.bold ? " font-weight=\"bold\"" : "") + ">" + escaped(item.text) +
                   "</text>\n";
            break;
        }
        }
    }
    return out + "</svg>\n";
}

std::string debriefHtmlHead(const std::string& title) {
    return
        "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>" +
        escaped(title) +
        "</title>\n<style>\n"
        "body { font-family: sans-serif; margin: 2em; color: #202020; }\n"
        "table { border-collapse: collapse; margin: 1em 0; }\n"
        "th, td { border: 1px solid #c8c8c8; padding: 0.25em 0.6em; text-align: left; }\n"
        "th { background: #eeeeee; }\n"
        "td.count { font-family: monospace; white-space: nowrap; }\n"
        "section.run { margin-bottom: 3em; }\n"
        "</style>\n</head>\n<body>\n<h1>" +
        escaped(title) + "</h1>\n";
}

std::string debriefHtmlRun(const std::vector<JournalRecord>& run, const TimeZone& zone) {
    if (run.empty())
        return {};
    std::string out;
    const RunTotals t = runTotals(run);
    out += "<section class=\"run\" id=\"run-" + std::to_string(run.front().run) + "\">\n<h2>Run " +
           std::to_string(run.front().run) + ", " + escaped(localText(run.front().trueMs, zone).substr(0, 19)) +
           " to " + escaped(localText(run.back().trueMs, zone).substr(0, 19)) + "</h2>\n";
    out += drawingSvg(runTimeline(run, zone, 960, 420));
    out += "<table class=\"totals\">\n<tr><th>Holds</th><td>" + std::to_string(t.holds) +
           ", " + durationMsText(t.heldMs) + " in all, the launch moved " +
           durationText(t.heldSeconds) + "</td></tr>\n<tr><th>Launch window used</th><td>" +
           (t.windowSeconds ? durationText(t.windowUsedSeconds) + " of " + durationText(*t.windowSeconds) +
                                  (t.windowExpired ? " (expired)" : "")
                            : std::string("no launch window")) +
           "</td></tr>\n<tr><th>Planned liftoff</th><td>" +
           escaped(localText(*t.plannedLaunchMs, zone).substr(0, 19)) +
           "</td></tr>\n<tr><th>Liftoff</th><td>" +
           (t.liftoffMs ? escaped(localText(*t.liftoffMs, zone).substr(0, 19)) +
                              ", slip " + durationText(*t.slipSeconds)
                        : "not in this run; the launch moved by " + durationText(*t.slipSeconds)) +
           "</td></tr>\n</table>\n";
    out += "<table class=\"happenings\">\n<tr><th>True time</th><th>Program clock</th>"
           "<th>Count</th><th>What happened</th></tr>\n";
    for (const JournalRecord& r : run)
        out += "<tr data-kind=\"" + escaped(r.kind) + "\"><td>" +
               escaped(localText(r.trueMs, zone)) + "</td><td class=\"program-clock\">" +
               (r.programMs ? escaped(localText(*r.programMs, zone)) : std::string()) +
               "</td><td class=\"count\">" +
               escaped(r.count) + "</td><td>" + escaped(recordSummary(r)) + "</td></tr>\n";
    out += "</table>\n</section>\n";
    return out;
}

std::string debriefHtmlEnd(bool anyRuns) {
    return std::string(anyRuns ? "" : "<p>The journal holds no runs.</p>\n") + "</body>\n</html>\n";
}

std::string debriefHtml(const std::vector<std::vector<JournalRecord>>& runs, const TimeZone& zone,
                        const std::string& title) {
    std::string out = debriefHtmlHead(title);
    for (const auto& run : runs)
        out += debriefHtmlRun(run, zone);
    return out + debriefHtmlEnd(!runs.empty());
}

} // namespace orvane
