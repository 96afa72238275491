// The lines between the program and its sound process: whatever the user named an event
// crosses the pipe whole, and a line that is not one of ours is refused, never misread.

#include "sound/sound_protocol.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace orvane {
namespace {

using K = SoundMessage::Kind;
using namespace std::string_literals;

std::optional<SoundMessage> roundTrip(const SoundMessage& m) {
    const std::string line = soundLine(m);
    EXPECT_EQ(line.find('\n'), line.size() - 1) << "one line, ended by its newline";
    for (const char c : line.substr(0, line.size() - 1))
        EXPECT_FALSE(static_cast<unsigned char>(c) < 0x20 || c == 0x7f) << line;
    return parseSoundLine(std::string_view(line).substr(0, line.size() - 1));
}

TEST(SoundProtocol, AwkwardPhrasesCrossWhole) {
    const std::vector<std::string> awkward{
        "T minus ten",
        "",
        " ",
        "two  spaces ",
        "first line\nsecond line\r\n",
        "tab\there",
        "\\",
        "\\e",
        "\\s\\n\\x41",
        "nul\0inside"s,
        "\x01\x1f\x7f",
        "\xff\xfe not UTF-8 \xc3",
        "Élan «launch» 発射",
        std::string(5000, 'x'),
    };
    for (const std::string& text : awkward) {
        SCOPED_TRACE(text);
        for (const SoundMessage& m : {
                 SoundMessage{K::Voice, {text}, {}, 0, {}},
                 SoundMessage{K::Unavailable, {text}, {}, 0, {}},
                 SoundMessage{K::Missed, {text}, {}, 0, {}},
                 SoundMessage{K::Ping, {text}, {}, 0, {}},
                 SoundMessage{K::Pong, {text}, {}, 0, {}},
                 SoundMessage{K::Prepare, {text, "nine", text}, {}, 0, {}},
                 SoundMessage{K::Voices, {"English", text}, {}, 0, {}},
                 SoundMessage{K::Plan, {}, {{text, 1780000000000}, {"", -5}, {text, 0}}, 0, {}},
                 SoundMessage{K::Sound, {}, {{text, 1780000000123}}, 0, {}},
                 SoundMessage{K::Output, {text}, {}, 0, {}},
                 SoundMessage{K::Fallback, {text}, {}, 0, {}},
                 SoundMessage{K::Outputs, {"loop", text}, {}, 0, {}},
                 SoundMessage{K::Variants, {text, "female3"}, {}, 0, {}},
                 SoundMessage{K::Style, {text}, {}, 0, {80, 0}},
                 SoundMessage{K::Style, {text}, {}, 0, {450, 99}},
                 SoundMessage{K::Ready, {text, "nine"}, {}, 0, {1234, 0}},
             })
            EXPECT_EQ(roundTrip(m), m) << soundLine(m);
    }
    for (const SoundMessage& m :
         {SoundMessage{K::Volume, {}, {}, 0, {}}, SoundMessage{K::Volume, {}, {}, 100, {}},
          SoundMessage{K::Plan, {}, {}, 0, {}}, SoundMessage{K::Prepare, {}, {}, 0, {}},
          SoundMessage{K::Outputs, {}, {}, 0, {}}, SoundMessage{K::Ready, {}, {}, 0, {}}})
        EXPECT_EQ(roundTrip(m), m) << soundLine(m);
}

TEST(SoundProtocol, BadLinesAreRefused) {
    for (const std::string& line : {
             ""s,
             "hello"s,
             "VOICE English"s,
             "voice"s,
             "voice English (America)"s, // a raw space splits the name in two
             "ping"s,
             "pong 1 2"s,
             "missed"s,
             "volume"s,
             "volume 101"s,
             "volume -1"s,
             "volume 5x"s,
             "volume 5 6"s,
             "volume 99999999999999999999"s,
             "plan 1000"s,
             "plan x nine"s,
             "plan 1000 nine 2000"s,
             "plan 1000 nine "s,
             "sound"s,
             "sound 1000"s,
             "sound 1000 nine 2000 eight"s,
             "prepare "s,
             "prepare nine  eight"s,
             "prepare trailing\\"s,
             "prepare \\q"s,
             "prepare \\x4"s,
             "prepare \\xzz"s,
             "prepare raw\ttab"s,
             "prepare nul\0"s,
             "unavailable"s,
             "output"s,
             "output a b"s,
             "fallback"s,
             "outputs loop"s,
             "outputs loop Loop other"s,
             "variants f3"s,
             "style f3 175"s,
             "style f3 175 50 1"s,
             "style f3 79 50"s,
             "style f3 451 50"s,
             "style f3 175 -1"s,
             "style f3 175 100"s,
             "style f3 fast 50"s,
             "ready nine"s,
             "ready nine -1"s,
             "ready nine 1x"s,
             "ready nine 100 eight"s,
         })
        EXPECT_EQ(parseSoundLine(line), std::nullopt) << '"' << line << '"';
}

// Whatever bytes arrive, a line is either refused or read as a message that writes back to
// the same message.
TEST(SoundProtocol, AnyBytesAreReadSafely) {
    std::mt19937 random(7);
    const std::string alphabet = "plan sound prepare voice 0123456789-\\sexn \t\x01\xff";
    for (int i = 0; i < 20000; ++i) {
        std::string line = i % 2 ? "prepare " : "plan ";
        const int length = int(random() % 24);
        for (int j = 0; j < length; ++j)
            line += alphabet[random() % alphabet.size()];
        if (const auto m = parseSoundLine(line)) {
            const std::string again = soundLine(*m);
            EXPECT_EQ(parseSoundLine(std::string_view(again).substr(0, again.size() - 1)), m)
                << line;
        }
    }
}

TEST(SoundProtocol, ReaderCutsLinesAndDropsOverlongOnes) {
    SoundLineReader reader;
    std::vector<std::string> lines;
    const auto keep = [&](std::string_view line) { lines.emplace_back(line); };
    reader.feed("volume 5", keep);
    reader.feed("0\nprepare nine\nplan", keep);
    EXPECT_EQ(lines, (std::vector<std::string>{"volume 50", "prepare nine"}));
    reader.feed("\n", keep);
    EXPECT_EQ(lines.back(), "plan");

    // A peer that never ends its line costs at most MaxLine; the line after it is read.
    lines.clear();
    const std::string chunk(64 * 1024, 'a');
    reader.feed("prepare ", keep);
    for (std::size_t sent = 0; sent <= SoundLineReader::MaxLine; sent += chunk.size())
        reader.feed(chunk, keep);
    reader.feed("aaa\nsound 1000 liftoff\n", keep);
    EXPECT_EQ(lines, (std::vector<std::string>{"sound 1000 liftoff"}));

    // MaxLine bytes are a line; one more is not, however it arrives.
    lines.clear();
    const std::string longest = "prepare " + std::string(SoundLineReader::MaxLine - 8, 'a');
    reader.feed(longest.substr(0, 100), keep);
    reader.feed(longest.substr(100) + "\n", keep);
    reader.feed(longest + "a\n", keep);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines.front().size(), SoundLineReader::MaxLine);
}

} // namespace
} // namespace orvane
