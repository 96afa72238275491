// The sound process's own output, without a sound server: what it keeps made.

#include "sound/speech_output.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

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

// Without a sound server the output looks for one again every second at first, then less and
// less often, to once every ten seconds: each look costs about as much as showing a second.
TEST(SpeechOutput, LooksForAnAbsentServerLessOftenTheLongerItStaysAway) {
    for (int failures = 0; failures <= 5; ++failures)
        EXPECT_EQ(SpeechOutput::retryWaitMs(failures), 1000) << failures;
    EXPECT_EQ(SpeechOutput::retryWaitMs(6), 2000);
    EXPECT_EQ(SpeechOutput::retryWaitMs(7), 4000);
    EXPECT_EQ(SpeechOutput::retryWaitMs(8), 8000);
    EXPECT_EQ(SpeechOutput::retryWaitMs(9), 10000);
    EXPECT_EQ(SpeechOutput::retryWaitMs(1000), 10000);
}

// While the output waits to look for the server again, a cue asked for now is still told as
// missed once it is late, rather than at the next look.
TEST(SpeechOutput, ACueAskedForWithoutAServerIsToldMissed) {
    ::setenv("PULSE_SERVER", "unix:/nonexistent/orvane-test-sound", 1);
    std::mutex mutex;
    std::vector<std::string> missed;
    SpeechOutput out([](std::function<void()> task) { task(); });
    out.onMissed = [&](const std::string& text) {
        std::lock_guard lock(mutex);
        missed.push_back(text);
    };
    const auto nowMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                           std::chrono::system_clock::now().time_since_epoch())
                           .count();
    out.sound({"hold", nowMs});
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    for (;;) {
        {
            std::lock_guard lock(mutex);
            if (!missed.empty())
                break;
        }
        ASSERT_LT(std::chrono::steady_clock::now(), end) << "the cue was never told missed";
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    std::lock_guard lock(mutex);
    EXPECT_EQ(missed, std::vector<std::string>{"hold"});
    ::unsetenv("PULSE_SERVER");
}

} // namespace
} // namespace orvane
