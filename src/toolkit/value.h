#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace orvane {

// Colours are 24-bit numbers in blue-green-red order (&HBBGGRR), as the windows store them.
// Values with the top bit set name a system colour (&H8000000F is the button face).
using Color = std::uint32_t;
inline constexpr Color ButtonFace = 0x8000000F;

// A property value as the scenario runner and the launch data file see it: empty, a text, a
// whole number, a boolean or a colour.
class PropValue {
  public:
    struct Empty {
        bool operator==(const Empty&) const = default;
    };
    // A colour, kept apart from the whole numbers so that it prints as &H.
    struct ColorValue {
        Color value;
        bool operator==(const ColorValue&) const = default;
    };

    PropValue() = default;
    PropValue(std::string text) : m_v(std::move(text)) {}
    PropValue(const char* text) : m_v(std::string(text)) {}
    PropValue(std::int64_t number) : m_v(number) {}
    PropValue(int number) : m_v(std::int64_t(number)) {}
    PropValue(bool b) : m_v(b) {}
    static PropValue color(Color c) { return PropValue(ColorValue{c}); }

    bool isEmpty() const { return std::holds_alternative<Empty>(m_v); }
    bool isText() const { return std::holds_alternative<std::string>(m_v); }
    bool isNumber() const { return std::holds_alternative<std::int64_t>(m_v); }
    bool isBool() const { return std::holds_alternative<bool>(m_v); }
    bool isColor() const { return std::holds_alternative<ColorValue>(m_v); }

    const std::string& text() const { return std::get<std::string>(m_v); }
    std::int64_t number() const { return std::get<std::int64_t>(m_v); }
    bool boolean() const { return std::get<bool>(m_v); }
    Color colorValue() const { return std::get<ColorValue>(m_v).value; }

    // The text form: strings quoted with \" \\ \n \r escapes, numbers in decimal,
    // True/False, colours as &H and eight upper-case hex digits, Empty.
    std::string print() const;

    bool operator==(const PropValue&) const = default;

  private:
    explicit PropValue(ColorValue c) : m_v(c) {}
    std::variant<Empty, std::string, std::int64_t, bool, ColorValue> m_v;
};

std::string formatColor(Color c);
// Reads &HBBGGRR in hex (up to &HFFFFFFFF, an optional trailing &) or a whole number.
std::optional<Color> parseColor(std::string_view text);

} // namespace orvane
