#pragma once

// A small JSON reader and the writer's text quoting, for the messages the program sends and
// reads itself (the remote displays' state, a leader's state). Numbers are whole numbers only:
// every number the program sends is one.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvane {

class JsonValue {
  public:
    enum class Type { Null, Bool, Number, Text, Array, Object };

    Type type() const { return m_type; }
    bool isNull() const { return m_type == Type::Null; }
    // The value as each type, or empty when it is another.
    std::optional<bool> boolean() const;
    std::optional<std::int64_t> number() const;
    std::optional<std::string> text() const;
    const std::vector<JsonValue>& items() const { return m_items; }
    // The member of an object; a null value when there is none.
    const JsonValue& operator[](std::string_view key) const;
    bool has(std::string_view key) const;

    // Reads a whole text; empty with the reason in ERROR when it is not JSON, or holds a
    // number that is not whole, or nests deeper than a message ever does.
    static std::optional<JsonValue> parse(std::string_view text, std::string& error);

  private:
    friend class JsonReader;
    Type m_type = Type::Null;
    bool m_bool = false;
    std::int64_t m_number = 0;
    std::string m_text;
    std::vector<JsonValue> m_items;
    std::map<std::string, JsonValue, std::less<>> m_members;
};

// TEXT as a JSON string, quotes included.
std::string jsonText(std::string_view text);

} // namespace orvane
