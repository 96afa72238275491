// The built-in holds' phrases, the T-time in words as the count reads it.

#include "callouts/plan_phrases.h"

#include <gtest/gtest.h>

namespace orvane {
namespace {

TEST(PlanPhrases, SayTheTTimeInWords) {
    const std::tuple<std::int64_t, bool, const char*> cases[] = {
        {20 * 60, true, "T minus twenty minutes and holding"},
        {3 * 3600, false, "T minus three hours and counting"},
        {5400, true, "T minus one hour thirty minutes and holding"},
        {9 * 60, false, "T minus nine minutes and counting"},
        {60, true, "T minus one minute and holding"},
        {99 * 3600 + 45, true, "T minus ninety-nine hours forty-five seconds and holding"},
        {3600 + 61, false, "T minus one hour one minute one second and counting"},
        {27 * 3600, true, "T minus twenty-seven hours and holding"},
    };
    for (const auto& [t, holding, phrase] : cases)
        EXPECT_EQ(builtInHoldPhrase(t, holding), phrase);
    EXPECT_EQ(numberInWords(0), "zero");
    EXPECT_EQ(numberInWords(19), "nineteen");
    EXPECT_EQ(numberInWords(40), "forty");
    EXPECT_EQ(numberInWords(100), "100");
}

} // namespace
} // namespace orvane
