#include "journal/debrief.h"

#include <algorithm>
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

std::string svgOpening(double width, double height) {
    return "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + number(width) + "\" height=\"" +
           number(height) + "\" viewBox=\"0 0 " + number(width) + " " + number(height) +
           "\" font-family=\"sans-serif\">\n";
}

std::string svgItem(const DrawItem& item) {
    std::string out;
    const std::string attrs = roleAttributes(item);
    switch (item.kind) {
    case DrawItem::Kind::Line: {
        std::string points;
        for (const auto& [x, y] : item.points) {
            if (!points.empty())
                points += ' ';
            points += number(x);
            points += ',';
            points += number(y);
        }
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
               "\" fill=\"" + colour(item.fill) + "\"" +
               (item.strokeWidth > 0 ? " stroke=\"" + colour(item.color) + "\" stroke-width=\"" +
                                           number(item.strokeWidth) + "\""
                                     : std::string()) +
               "/>\n";
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
    return out;
}

std::string drawingSvg(const Drawing& drawing) {
    std::string out = svgOpening(drawing.width, drawing.height);
    for (const DrawItem& item : drawing.items)
        out += svgItem(item);
    return out + svgEnd();
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

DebriefHtmlRunWriter::DebriefHtmlRunWriter(const TimeZone& zone) : m_zone(zone) {}

DebriefHtmlRunWriter::~DebriefHtmlRunWriter() {
    if (m_rows)
        std::fclose(m_rows);
}

void DebriefHtmlRunWriter::add(const JournalRecord& r) {
    if (m_records++ == 0) {
        m_run = r.run;
        m_rows = std::tmpfile();
    }
    m_points.add(r);
    const std::string row =
        "<tr data-kind=\"" + escaped(r.kind) + "\"><td>" + escaped(localText(r.trueMs, m_zone)) +
        "</td><td class=\"program-clock\">" +
        (r.programMs ? escaped(localText(*r.programMs, m_zone)) : std::string()) +
        "</td><td class=\"count\">" + escaped(r.count) + "</td><td>" + escaped(recordSummary(r)) +
        "</td></tr>\n";
    if (m_rows) {
        const long before = std::ftell(m_rows);
        if (std::fwrite(row.data(), 1, row.size(), m_rows) == row.size())
            return;
        // Without room to wait in the file, the rows wait in memory: none is ever dropped.
        std::rewind(m_rows);
        m_kept.resize(std::size_t(std::max(before, 0L)));
        m_kept.resize(std::fread(m_kept.data(), 1, m_kept.size(), m_rows));
        std::fclose(m_rows);
        m_rows = nullptr;
    }
    m_kept += row;
}

bool DebriefHtmlRunWriter::finish(const Write& write) {
    if (m_records == 0)
        return true;
    const RunTotals t = m_points.totals.totals();
    std::string out = "<section class=\"run\" id=\"run-" + std::to_string(m_run) + "\">\n<h2>Run " +
                      std::to_string(m_run) + ", " +
                      escaped(localText(m_points.firstMs, m_zone).substr(0, 19)) + " to " +
                      escaped(localText(m_points.lastMs, m_zone).substr(0, 19)) + "</h2>\n" +
                      svgOpening(960, 420);
    bool ok = true;
    auto flushOut = [&](std::size_t atLeast) {
        if (out.size() >= atLeast) {
            ok = write(out) && ok;
            out.clear();
        }
    };
    drawTimeline(m_points, m_zone, 960, 420, [&](DrawItem&& item) {
        out += svgItem(item);
        flushOut(1 << 16);
    });
    out += svgEnd();
    out += "<table class=\"totals\">\n<tr><th>Holds</th><td>" + std::to_string(t.holds) + ", " +
           durationMsText(t.heldMs) + " in all, the launch moved " + durationText(t.heldSeconds) +
           "</td></tr>\n<tr><th>Launch window used</th><td>" +
           (t.windowSeconds ? durationText(t.windowUsedSeconds) + " of " + durationText(*t.windowSeconds) +
                                  (t.windowExpired ? " (expired)" : "")
                            : std::string("no launch window")) +
           (t.builtInHolds ? "</td></tr>\n<tr><th>Built-in holds</th><td>" +
                                 std::to_string(t.builtInHolds) + ", " +
                                 durationText(t.builtInSeconds) + " in all, planned " +
                                 durationText(t.builtInPlannedSeconds)
                           : std::string()) +
           "</td></tr>\n<tr><th>Planned liftoff</th><td>" +
           escaped(localText(*t.plannedLaunchMs, m_zone).substr(0, 19)) +
           "</td></tr>\n<tr><th>Liftoff</th><td>" +
           (t.liftoffMs ? escaped(localText(*t.liftoffMs, m_zone).substr(0, 19)) +
                              (t.builtInHolds ? ", slip against the plan " : ", slip ") +
                              durationText(*t.slipSeconds)
                        : "not in this run; the launch moved by " + durationText(*t.slipSeconds)) +
           "</td></tr>\n</table>\n";
    out += "<table class=\"happenings\">\n<tr><th>True time</th><th>Program clock</th>"
           "<th>Count</th><th>What happened</th></tr>\n";
    out += m_kept;
    if (m_rows && std::fseek(m_rows, 0, SEEK_SET) == 0) {
        char piece[1 << 16];
        for (std::size_t n; (n = std::fread(piece, 1, sizeof piece, m_rows)) > 0;) {
            out.append(piece, n);
            flushOut(1 << 16);
        }
        ok = ok && !std::ferror(m_rows);
    }
    out += "</table>\n</section>\n";
    flushOut(0);
    // Afresh for the next run.
    if (m_rows)
        std::fclose(m_rows);
    m_rows = nullptr;
    m_kept.clear();
    m_points = TimelinePoints();
    m_records = 0;
    m_run = 0;
    return ok;
}

std::string debriefHtmlRun(const std::vector<JournalRecord>& run, const TimeZone& zone) {
    DebriefHtmlRunWriter writer(zone);
    for (const JournalRecord& r : run)
        writer.add(r);
    std::string out;
    writer.finish([&](const std::string& piece) {
        out += piece;
        return true;
    });
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
