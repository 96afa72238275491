#pragma once

// The words of a scenario script line: plain and quoted words, the VALUE at the end of a
// line, durations, clock stamps and the TARGET paths that name windows, controls and records.

#include "dates/datetime.h"

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orvane::script {

// Anything that stops a script: a malformed line, an unknown target, a failed expectation.
class ScriptError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

struct Word {
    std::string text;
    bool quoted = false;
};

// Reads one line from left to right. A '#' that starts a word begins a comment; a word that
// starts with a double quote runs to the closing quote and takes the escapes \" \\ \n \r.
class LineReader {
  public:
    explicit LineReader(std::string line) : m_line(std::move(line)) {}

    // True when only blanks or a comment are left.
    bool atEnd();
    // The next word; fails naming WHAT when the line has none left.
    Word word(std::string_view what);
    std::optional<Word> optionalWord();
    // A VALUE: one quoted string, or else the rest of the line without its outer blanks.
    Word value(std::string_view what);
    // Fails when anything but a comment is left.
    void end();

  private:
    void skipBlanks();
    Word quoted();
    std::string m_line;
    std::size_t m_pos = 0;
};

// A word as a script would write it: plain when it can be, else quoted.
std::string scriptWord(std::string_view text);

// "90" and "90s" are seconds; "500ms", "2m", "1h" and "3d" name their unit. Milliseconds.
std::optional<std::int64_t> parseDuration(std::string_view text);

// "YYYY-MM-DD HH:MM:SS", blanks between the date and the time.
std::optional<DateTime> parseClockStamp(std::string_view text);

// Form, Form.Control, Form.Control(Index) and Form.Record, each optionally followed by
// .Property. Parsing checks only the shape; which names exist is the runner's business.
struct TargetPart {
    std::string name;
    std::optional<std::string> index;
};

struct TargetPath {
    std::vector<TargetPart> parts; // one to three
    std::string text;              // as written
    const std::string& form() const { return parts.front().name; }
};

TargetPath parseTarget(std::string_view text);

} // namespace orvane::script
