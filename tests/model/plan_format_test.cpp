// The countdown plan file: what is saved reads back to the same plan and the same bytes, and
// a bad file is refused with its line and what is wrong, whatever is wrong with it.

#include "model/plan_format.h"

#include <gtest/gtest.h>

#include <random>

namespace orvane {
namespace {

constexpr const char* Crewed = "Orvane countdown plan 1\n"
                               "T-03:00:00 02:30:00 ends Built-in hold\n"
                               "T-00:20:00 00:10:00 ends Built-in hold\n"
                               "T-00:09:00 00:45:00 waits Final built-in hold: go/no-go poll\n";

TEST(PlanFile, ReadsBackTheSamePlanAndSavesTheSameBytes) {
    const PlanFileRead read = parsePlanFile(Crewed);
    ASSERT_TRUE(read.plan) << read.problem;
    ASSERT_EQ(read.plan->holds().size(), 3u);
    EXPECT_EQ(read.plan->holds()[2],
              (BuiltInHold{540, 2700, "Final built-in hold: go/no-go poll", true}));
    EXPECT_EQ(formatPlanFile(*read.plan), Crewed);

    // Random plans, labels with blanks, UTF-8 and nothing at all included.
    std::mt19937 random(38);
    const std::string pieces[] = {"", " ", "Poll", "  lead", "trail  ", "\xC3\xA9t\xC3\xA9", "#1"};
    for (int round = 0; round < 200; ++round) {
        CountdownPlan plan;
        const int n = int(random() % 51);
        for (int i = 0; i < n; ++i) {
            std::string label;
            for (int k = int(random() % 4); k > 0; --k)
                label += pieces[random() % std::size(pieces)];
            (void)plan.add({1 + std::int64_t(random() % CountdownPlan::MaxSeconds),
                            1 + std::int64_t(random() % CountdownPlan::MaxSeconds),
                            label.substr(0, 60), random() % 2 == 0});
        }
        const std::string text = formatPlanFile(plan);
        const PlanFileRead back = parsePlanFile(text);
        ASSERT_TRUE(back.plan) << back.problem << "\n" << text;
        EXPECT_EQ(back.plan->holds(), plan.holds());
        EXPECT_EQ(formatPlanFile(*back.plan), text);
    }
    // CR LF, blank and comment lines are read too.
    EXPECT_TRUE(parsePlanFile("Orvane countdown plan 1\r\n\r\n# note\r\nT-00:00:10 00:00:01 "
                              "ends x\r\n")
                    .plan);
}

TEST(PlanFile, RefusesABadFileNamingItsLineAndWhatIsWrong) {
    const std::pair<std::string, const char*> cases[] = {
        {"", "the file is empty"},
        {"Orvane countdown plan 2\n", "line 1: it is not a countdown plan (the first line must "
                                      "read \"Orvane countdown plan 1\")"},
        {"1,\"May 3, 2001\"\n", "line 1: it is not a countdown plan (the first line must read "
                                "\"Orvane countdown plan 1\")"},
        {"Orvane countdown plan 1\nT-0:20:00 00:10:00 ends\nT20:00 00:10:00 ends x\n",
         "line 3: \"T20:00\" is not a T-time such as T-00:20:00"},
        {"Orvane countdown plan 1\nT-00:20:00 10 ends x\n",
         "line 2: \"10\" is not a length such as 00:10:00"},
        {"Orvane countdown plan 1\nT-00:20:00 00:10:00 stops x\n",
         "line 2: a built-in hold \"ends\" or \"waits\", not \"stops\""},
        {"Orvane countdown plan 1\nT-00:00:00 00:10:00 ends x\n",
         "line 2: The T-time must be before T-0."},
        {"Orvane countdown plan 1\nT-00:20:00 00:00:00 ends x\n",
         "line 2: The length must be from 0:00:01 to 99:00:00."},
        {"Orvane countdown plan 1\nT-00:20:00 00:10:00 ends x\n\nT-00:20:00 00:01:00 waits y\n",
         "line 4: Another built-in hold is at T-0:20:00."},
        {"Orvane countdown plan 1\nT-00:20:00 00:10:00 ends " + std::string(61, 'x') + "\n",
         "line 2: The label must be at most 60 characters."},
        {"Orvane countdown plan 1\nT-00:20:00 00:10:00 ends \xFF\n",
         "line 2: The label is not UTF-8 text."},
        {"Orvane countdown plan 1\n" + std::string(PlanFileLimit, '#'),
         "it is larger than 16 KiB, too large for a countdown plan"},
    };
    for (const auto& [text, problem] : cases) {
        const PlanFileRead r = parsePlanFile(text);
        EXPECT_FALSE(r.plan) << problem;
        EXPECT_EQ(r.problem, problem);
    }
    std::string fifty = "Orvane countdown plan 1\n";
    for (int i = 1; i <= 51; ++i)
        fifty +=
            "T-00:" + std::string(i < 10 ? "0" : "") + std::to_string(i) + ":00 00:00:01 ends\n";
    EXPECT_EQ(parsePlanFile(fifty).problem, "line 52: A plan has at most 50 built-in holds.");
}

// Whatever a damaged file holds, it is read whole or refused naming a line it has.
TEST(PlanFile, ADamagedFileIsReadWholeOrRefusedWithALine) {
    std::mt19937 random(3801);
    const std::string good = Crewed;
    for (int round = 0; round < 2000; ++round) {
        std::string text = good;
        for (int k = 1 + int(random() % 3); k > 0; --k) {
            const std::size_t at = random() % (text.size() + 1);
            switch (random() % 3) {
            case 0:
                text.insert(at, 1, char(random() % 256));
                break;
            case 1:
                if (at < text.size())
                    text.erase(at, 1);
                break;
            default:
                if (at < text.size())
                    text[at] = char(random() % 256);
                break;
            }
        }
        const PlanFileRead r = parsePlanFile(text);
        if (r.plan) {
            EXPECT_TRUE(r.problem.empty());
            EXPECT_LE(r.plan->holds().size(), 3u);
            continue;
        }
        const int lines = int(std::count(text.begin(), text.end(), '\n')) + 1;
        int line = 0;
        ASSERT_TRUE(std::sscanf(r.problem.c_str(), "line %d: ", &line) == 1 ||
                    r.problem == "the file is empty")
            << r.problem;
        EXPECT_TRUE(r.problem == "the file is empty" || (line >= 1 && line <= lines)) << r.problem;
    }
}

} // namespace
} // namespace orvane
