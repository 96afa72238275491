#pragma once

// What the program and its sound process (orvane-sound) say to each other over a pipe: one
// message a line, a word and then its fields, each after one space. A field holds no space,
// newline or control byte: a backslash is written "\\", a space "\s", a newline "\n", a
// carriage return "\r", a tab "\t", any other byte below 0x20 and 0x7f "\xHH", and an empty
// text is the field "\e". Every other byte passes as it is: a phrase is what the user typed.
//
// To the sound process:
//   voice TEXT            the voice by name (\e: the default)
//   style VARIANT WPM PITCH  the voice's variant by its file name (\e: none), its speed in
//                         words a minute (80 to 450) and its pitch (0 to 99)
//   output NAME           the sound server's output to play on, by name (\e: the default)
//   volume PERCENT        0 to 100
//   prepare TEXT...       phrases to make ready
//   plan [MS TEXT]...     the cues due soon, replacing those planned before; MS is the cue's
//                         moment in Unix milliseconds, TEXT \e for a tone
//   sound MS TEXT         a cue due now
//   ping TEXT             answered at once with pong TEXT: the process is alive
// From it, whenever they change:
//   unavailable TEXT      why nothing can be heard (\e: sound works)
//   voices TEXT...        the voices installed, the default first
//   pong TEXT             the answer to ping TEXT
//   missed TEXT           a cue that could not be heard (\e: a tone)
//   variants [ID NAME]... the voice's variants installed, by file name and name
//   outputs [NAME DESCRIPTION]...  the sound server's outputs
//   fallback NAME         the output chosen is not there and the default plays instead
//                         (\e: the output chosen plays, or none was chosen)
//   ready [TEXT MS]...    phrases made ready and how long each sounds
//
// A line that breaks these rules is ignored whole.

#include "services/services.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvane {

struct SoundMessage {
    enum class Kind {
        Voice,
        Volume,
        Prepare,
        Plan,
        Sound,
        Unavailable,
        Voices,
        Ping,
        Pong,
        Missed,
        Style,
        Output,
        Variants,
        Outputs,
        Fallback,
        Ready
    };
    Kind kind = Kind::Prepare;
    // voice, prepare, unavailable, voices, ping, pong, missed, output, fallback; style's
    // variant; variants and outputs as pairs; ready's phrases
    std::vector<std::string> texts;
    std::vector<Cue> cues; // plan; sound has one
    int volume = 0;
    std::vector<int> numbers; // style's speed and pitch; ready's lengths, one a phrase
    bool operator==(const SoundMessage&) const = default;
};

std::string escapeSoundField(std::string_view text);
std::optional<std::string> unescapeSoundField(std::string_view field);

// The message as a line, newline included.
std::string soundLine(const SoundMessage& message);
// The message a line (without its newline) says, or none when the line is not one.
std::optional<SoundMessage> parseSoundLine(std::string_view line);

// Cuts what is read from a pipe into lines. A line longer than MaxLine is dropped whole, so a
// peer that never ends its line cannot fill the memory.
class SoundLineReader {
  public:
    static constexpr std::size_t MaxLine = 1 << 20;
    void feed(std::string_view bytes, const std::function<void(std::string_view)>& line);

  private:
    std::string m_partial;
    bool m_skipping = false; // inside a line that grew too long
};

} // namespace orvane
