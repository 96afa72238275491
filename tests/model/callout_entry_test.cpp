// The team's own callouts as entries: the words are checked as typed, and an entry reads back
// from the text the plan file and the settings keep.

#include "model/callout_entry.h"
#include "model/plan_format.h"

#include <gtest/gtest.h>

namespace orvane {
namespace {

TEST(CalloutWords, PrintableUpTo200CharactersAreTaken) {
    const std::string taken[] = {
        "T minus nine minutes, go/no-go poll",
        "x",
        std::string(200, 'y'),
        // 200 characters of two bytes each: the limit counts characters, not bytes.
        [] {
            std::string s;
            for (int i = 0; i < 200; ++i)
                s += "\xC3\xA9";
            return s;
        }(),
        "go\xC2\xA0" "for launch", // a no-break space shows and is said as a space
        "\xF0\x9F\x9A\x80 liftoff",
        "~",
    };
    for (const std::string& words : taken)
        EXPECT_EQ(checkCalloutWords(words), std::nullopt) << words;
}

TEST(CalloutWords, RefusedWithTheReason) {
    const std::pair<std::string, const char*> refused[] = {
        {std::string(201, 'y'), "the words are longer than 200 characters"},
        {"", "there are no words to say"},
        {"   ", "there are no words to say"},
        {"\xC2\xA0", "there are no words to say"},
        {"tower\nclear", "the words hold a character that cannot be shown (U+000A)"},
        {"tower\tclear", "the words hold a character that cannot be shown (U+0009)"},
        {std::string("a\0b", 3), "the words hold a character that cannot be shown (U+0000)"},
        {"a\x1F", "the words hold a character that cannot be shown (U+001F)"},
        {"a\x7F", "the words hold a character that cannot be shown (U+007F)"},
        {"a\xC2\x85", "the words hold a character that cannot be shown (U+0085)"},
        {"a\xC2\x9F", "the words hold a character that cannot be shown (U+009F)"},
        {"go\xE2\x80\x8Bpoll", "the words hold a character that cannot be shown (U+200B)"},
        {"go\xE2\x80\x8Fpoll", "the words hold a character that cannot be shown (U+200F)"},
        {"a\xE2\x80\xAE", "the words hold a character that cannot be shown (U+202E)"},
        {"a\xE2\x80\xA8", "the words hold a character that cannot be shown (U+2028)"},
        {"a\xE2\x81\xA0", "the words hold a character that cannot be shown (U+2060)"},
        {"\xEF\xBB\xBFpoll", "the words hold a character that cannot be shown (U+FEFF)"},
        {"a\xC2\xAD", "the words hold a character that cannot be shown (U+00AD)"},
        {"a\xF3\xA0\x80\x81", "the words hold a character that cannot be shown (U+E0001)"},
        {"a\xC3", "the words are not valid UTF-8 text"},
        {"a\xC3x", "the words are not valid UTF-8 text"},
        {"\xC0\xAF", "the words are not valid UTF-8 text"},
        {"\xE0\x80\xAF", "the words are not valid UTF-8 text"},
        // The longest forms that are still too long: U+07FF in three bytes, U+FFFF in four.
        {"a\xE0\x9F\xBF", "the words are not valid UTF-8 text"},
        {"a\xF0\x8F\xBF\xBF", "the words are not valid UTF-8 text"},
        {"\xED\xA0\x80", "the words are not valid UTF-8 text"},
        {"\xF4\x90\x80\x80", "the words are not valid UTF-8 text"},
        {"\xFF", "the words are not valid UTF-8 text"},
        {"\x80", "the words are not valid UTF-8 text"},
    };
    for (const auto& [words, why] : refused)
        EXPECT_EQ(checkCalloutWords(words), why) << words;
}

TEST(CalloutEntry, TimesReadAsTheTableAndTheFileWriteThem) {
    EXPECT_EQ(readCalloutTime("T-00:09:00"), 540);
    EXPECT_EQ(readCalloutTime("T+00:00:10"), -10);
    EXPECT_EQ(readCalloutTime("T+99:59:59"), -MaxCalloutSeconds);
    EXPECT_EQ(readCalloutTime("T-00:00:00"), 0);
    EXPECT_EQ(readCalloutTime("at liftoff", true), 0);
    EXPECT_EQ(readCalloutTime("at liftoff"), std::nullopt) << "the file writes T-00:00:00";
    for (const char* bad : {"", "T", "T-", "00:09:00", "T 00:09:00", "T-00:60:00", "t-00:09:00",
                            "T*00:09:00", "T-100:00:00", "at liftoff "})
        EXPECT_EQ(readCalloutTime(bad, true), std::nullopt) << bad;
    EXPECT_EQ(calloutTime(540), "T-00:09:00");
    EXPECT_EQ(calloutTime(-10), "T+00:00:10");
    EXPECT_EQ(calloutTime(0), "T-00:00:00");
    EXPECT_EQ(calloutTime(0, true), "at liftoff");
    EXPECT_EQ(calloutTime(1, true), "T-00:00:01");

    std::string wrong;
    EXPECT_EQ(readCalloutEntry("T+00:00:10 tower  clear ", wrong),
              (CalloutEntry{-10, "tower  clear "}));
    EXPECT_EQ(readCalloutEntry("T-00:00:10", wrong), std::nullopt);
    EXPECT_EQ(wrong, "there are no words to say");
    EXPECT_EQ(readCalloutEntry("soon go", wrong), std::nullopt);
    EXPECT_EQ(wrong, "\"soon\" is not a T-time such as T-00:09:00 or T+00:00:10");
    EXPECT_EQ(formatCalloutEntry({-10, "tower clear"}), "T+00:00:10 tower clear");
}

TEST(CalloutEntry, OneEntryASecondAndAHundredAtMost) {
    std::vector<CalloutEntry> entries{{540, "poll"}, {31, "auto sequence"}};
    EXPECT_EQ(checkCalloutEntry(entries, {31, "again"}, std::nullopt),
              "entry 2 is said at T-00:00:31 already");
    EXPECT_EQ(checkCalloutEntry(entries, {31, "again"}, 1), std::nullopt);
    EXPECT_EQ(checkCalloutEntry(entries, {31, "again"}, 0),
              "entry 2 is said at T-00:00:31 already");
    EXPECT_EQ(checkCalloutEntry(entries, {0, "lift"}, std::nullopt), std::nullopt);
    EXPECT_EQ(checkCalloutEntry(entries, {0, ""}, std::nullopt), "there are no words to say");
    entries.clear();
    for (std::int64_t i = 0; i < std::int64_t(MaxCalloutEntries); ++i)
        entries.push_back({i, "n"});
    EXPECT_EQ(checkCalloutEntry(entries, {-1, "one too many"}, std::nullopt),
              "there are 100 entries already, as many as are kept");
    EXPECT_EQ(checkCalloutEntry(entries, {-1, "in place"}, 99), std::nullopt);
}

// A plan's callouts are lines of its file; a plan without them reads and writes as before.
TEST(PlanFile, CarriesTheTeamsCallouts) {
    const std::string text = "Orvane countdown plan 1\n"
                             "T-00:09:00 00:45:00 waits Final built-in hold: go/no-go poll\n"
                             "callout T-00:09:00 T minus nine minutes, go/no-go poll\n"
                             "callout T+00:00:10 tower clear\n";
    const PlanFileRead read = parsePlanFile(text);
    ASSERT_TRUE(read.plan) << read.problem;
    EXPECT_EQ(read.plan->callouts(),
              (std::vector<CalloutEntry>{{540, "T minus nine minutes, go/no-go poll"},
                                         {-10, "tower clear"}}));
    EXPECT_TRUE(read.plan->open());
    EXPECT_EQ(formatPlanFile(*read.plan), text);

    const PlanFileRead only = parsePlanFile("Orvane countdown plan 1\ncallout T-00:00:00 go\n");
    ASSERT_TRUE(only.plan);
    EXPECT_TRUE(only.plan->empty()) << "no built-in hold";
    EXPECT_TRUE(only.plan->open()) << "but a plan all the same";
    EXPECT_FALSE(CountdownPlan().open());

    const std::pair<const char*, const char*> bad[] = {
        {"callout T-00:09 poll", "line 2: callout: \"T-00:09\" is not a T-time such as "
                                 "T-00:09:00 or T+00:00:10"},
        {"callout T-00:09:00", "line 2: callout: there are no words to say"},
        {"callout T-00:09:00 a\tb",
         "line 2: callout: the words hold a character that cannot be shown (U+0009)"},
        {"callout T-00:09:00 a\ncallout T-00:09:00 b",
         "line 3: callout: entry 1 is said at T-00:09:00 already"},
        {"callouts T-00:09:00 a", "line 2: \"callouts\" is not a T-time such as T-00:20:00"},
    };
    for (const auto& [lines, why] : bad) {
        const PlanFileRead r = parsePlanFile(std::string("Orvane countdown plan 1\n") + lines);
        EXPECT_FALSE(r.plan) << lines;
        EXPECT_EQ(r.problem, why) << lines;
    }
    CountdownPlan plan = *read.plan;
    plan.clear();
    EXPECT_FALSE(plan.open()) << "cleared, it has no callouts either";
}

} // namespace
} // namespace orvane
