// The sound process's own output, without a sound server: what it keeps made.

#include "sound/speech_output.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

namespace orvane {
namespace {

bool madeInTime(const SpeechOutput& out, const std::string& phrase) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!out.rendered(phrase)) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

// Regression: every hold prepared a resume phrase of its own, and none was ever let go of.
// The phrases kept are bounded; the one asked for longest ago goes first, and a phrase asked
// for again is kept as the newest.
TEST(SpeechOutput, KeepsTheNewestPhrasesMadeOnly) {
    ::setenv("PULSE_SERVER", "unix:/nonexistent/orvane-test-sound", 1);
    SpeechOutput out([](std::function<void()>) {});
    const std::size_t n = SpeechOutput::MaxPhrases + 3;
    std::vector<std::string> phrases;
    for (std::size_t i = 0; i < n; ++i)
        phrases.push_back("t " + std::to_string(i));
    out.prepare(phrases);
    ASSERT_TRUE(madeInTime(out, phrases.back()));
    for (std::size_t i = 0; i < n; ++i)
        EXPECT_EQ(out.rendered(phrases[i]) != nullptr, i >= 3) << phrases[i];

    out.prepare({phrases[3], phrases[0]});
    ASSERT_TRUE(madeInTime(out, phrases[0]));
    EXPECT_NE(out.rendered(phrases[3]), nullptr) << "asked for again, it is the newest";
    EXPECT_EQ(out.rendered(phrases[4]), nullptr) << "the oldest went";
    ::unsetenv("PULSE_SERVER");
}

} // namespace
} // namespace orvane
