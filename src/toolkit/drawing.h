#pragma once

// A picture as plain shapes, so that one picture drawn by the program's logic can be shown in
// a window by the Qt binding and written as SVG into a report.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace orvane {

struct DrawItem {
    enum class Kind { Line, Rect, Circle, Text };
    Kind kind = Kind::Line;
    // Line: a polyline through the points. Rect: two corners. Circle: the centre, and the
    // radius as `size`. Text: where it starts (or centres, or ends), and the font's pixel
    // size as `size`.
    std::vector<std::pair<double, double>> points;
    double size = 1;
    std::uint32_t color = 0x000000;     // 0xRRGGBB: the stroke, or a text's colour
    std::uint32_t fill = 0xFFFFFFFF;    // 0xRRGGBB, or none
    double strokeWidth = 1;
    bool dashed = false;
    enum class Anchor { Start, Middle, End } anchor = Anchor::Start;
    bool bold = false;
    std::string text;
    // What the shape stands for ("hold", "planned", "actual", "event", "liftoff"), with its
    // moments as data, so that a reader of the report can find it.
    std::string role;
    std::vector<std::pair<std::string, std::string>> data;
};

struct Drawing {
    static constexpr std::uint32_t NoFill = 0xFFFFFFFF;
    double width = 0, height = 0;
    std::vector<DrawItem> items;
};

} // namespace orvane
