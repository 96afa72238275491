// The sound process's own output, without a sound server: what it keeps made.

#include "sound/speech_output.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <map>
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
// While the kernel watches the server's socket for it, the looks by time are a minute apart.
TEST(SpeechOutput, LooksForAnAbsentServerLessOftenTheLongerItStaysAway) {
    for (int failures = 0; failures <= 5; ++failures)
        EXPECT_EQ(SpeechOutput::retryWaitMs(failures), 1000) << failures;
    EXPECT_EQ(SpeechOutput::retryWaitMs(6), 2000);
    EXPECT_EQ(SpeechOutput::retryWaitMs(7), 4000);
    EXPECT_EQ(SpeechOutput::retryWaitMs(8), 8000);
    EXPECT_EQ(SpeechOutput::retryWaitMs(9), 10000);
    EXPECT_EQ(SpeechOutput::retryWaitMs(1000), 10000);
    EXPECT_EQ(SpeechOutput::retryWaitMs(5, true), 1000);
    EXPECT_EQ(SpeechOutput::retryWaitMs(6, true), 60000);
    EXPECT_EQ(SpeechOutput::retryWaitMs(1000, true), 60000);
}

// While the output waits to look for the server again, a cue asked for now is still told as
// missed once it is late, rather than at the next look.
TEST(SpeechOutput, ACueAskedForWithoutAServerIsToldMissed) {
    ::setenv("PULSE_SERVER", "unix:/nonexistent/orvane-test-sound", 1);
    std::mutex mutex;
    std::condition_variable told;
    std::vector<std::string> missed;
    SpeechOutput out([](std::function<void()> task) { task(); });
    out.onMissed = [&](const std::string& text) {
        std::lock_guard lock(mutex);
        missed.push_back(text);
        told.notify_all();
    };
    const auto nowMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                           std::chrono::system_clock::now().time_since_epoch())
                           .count();
    out.sound({"hold", nowMs});
    std::unique_lock lock(mutex);
    ASSERT_TRUE(told.wait_for(lock, std::chrono::seconds(30), [&] { return !missed.empty(); }))
        << "the cue was never told missed";
    EXPECT_EQ(missed, std::vector<std::string>{"hold"});
    lock.unlock();
    ::unsetenv("PULSE_SERVER");
}

// Waits for the output to tell that phrases are ready, and takes what it made.
class Readiness {
  public:
    explicit Readiness(SpeechOutput& out) : m_out(out) {
        out.onReady = [this] {
            std::lock_guard lock(m_mutex);
            for (auto& made : m_out.takeReady())
                m_made[made.first] = made.second;
            m_wake.notify_all();
        };
    }
    // How long PHRASE sounds once it has been told ready; 0 when it was not within 30 s.
    int waitFor(const std::string& phrase) {
        std::unique_lock lock(m_mutex);
        m_wake.wait_for(lock, std::chrono::seconds(30), [&] { return m_made.contains(phrase); });
        const auto it = m_made.find(phrase);
        const int ms = it == m_made.end() ? 0 : it->second;
        m_made.erase(phrase);
        return ms;
    }

    bool told(const std::string& phrase) {
        std::lock_guard lock(m_mutex);
        return m_made.contains(phrase);
    }

  private:
    SpeechOutput& m_out;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::map<std::string, int> m_made;
};

// The speed and the pitch reach the voice: every phrase is made again, each length told; the
// variants installed are listed by file and name.
TEST(SpeechOutput, TheStyleRemakesEveryPhraseAndTellsItsLength) {
    ::setenv("PULSE_SERVER", "unix:/nonexistent/orvane-test-sound", 1);
    SpeechOutput out([](std::function<void()> task) { task(); });
    Readiness ready(out);
    const std::string phrase = "T minus nine minutes, go for the terminal count";
    out.prepare({phrase});
    const int normal = ready.waitFor(phrase);
    ASSERT_GT(normal, 1000);
    EXPECT_EQ(out.spokenMs(phrase), normal);
    EXPECT_EQ(out.spokenMs("never prepared"), std::nullopt);

    out.setStyle({"", VoiceStyle::MaxSpeed, 50});
    const int fast = ready.waitFor(phrase);
    EXPECT_GT(fast, 0);
    EXPECT_LT(fast, normal * 2 / 3) << "said at 450 words a minute, not 175";
    out.setStyle({"", VoiceStyle::MinSpeed, 50});
    EXPECT_GT(ready.waitFor(phrase), normal * 3 / 2) << "said at 80 words a minute";

    const std::vector<VoiceVariant> variants = out.variants();
    const auto f3 = std::ranges::find(variants, std::string("f3"), &VoiceVariant::file);
    ASSERT_NE(f3, variants.end());
    EXPECT_EQ(f3->name, "female3");
    EXPECT_TRUE(std::ranges::none_of(
        variants, [](const VoiceVariant& v) { return v.file.find('/') != std::string::npos; }));
    // A variant changes the voice, not only its pace: the phrase is made again.
    out.setStyle({"f3", VoiceStyle::MinSpeed, 50});
    EXPECT_GT(ready.waitFor(phrase), 0);
    // The same style again makes nothing anew.
    out.setStyle({"f3", VoiceStyle::MinSpeed, 50});
    out.prepare({"nine"});
    ASSERT_GT(ready.waitFor("nine"), 0);
    EXPECT_FALSE(ready.told(phrase)) << "made before \"nine\" had the style changed";
    ::unsetenv("PULSE_SERVER");
}

} // namespace
} // namespace orvane
