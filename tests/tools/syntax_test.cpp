#include "script_syntax.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace orvane::script {
namespace {

// The VALUE at the end of "set frmOrvane.lblTarget.Caption ...".
Word valueOf(const std::string& rest) {
    LineReader line("set frmOrvane.lblTarget.Caption " + rest);
    line.word("command");
    line.word("TARGET");
    return line.value("VALUE");
}

TEST(ScriptLine, ValueIsTheRestOfTheLineOrOneQuotedString) {
    struct Row {
        const char* name;
        const char* rest;
        const char* text;
        bool quoted;
    };
    const Row rows[] = {
        {"blanks inside kept, outer ones dropped", "  May 3, 2001   10:30:00 AM  ",
         "May 3, 2001   10:30:00 AM", false},
        {"a comment after a plain value", "T -   # the count", "T -", false},
        {"a # inside a word is text", "Gate#3 open", "Gate#3 open", false},
        {"quotes inside a plain value are text", "He said \"go\"", "He said \"go\"", false},
        {"a backslash in a plain value is text", "c:\\windows\\calc.exe", "c:\\windows\\calc.exe",
         false},
        {"quoted keeps outer blanks", "\"  T - \"", "  T - ", true},
        {"quoted escapes", R"("say \"hi\"\\ \n\r")", "say \"hi\"\\ \n\r", true},
        {"quoted holds a #", "\"# 1\"  # comment", "# 1", true},
        {"quoted empty", "\"\"", "", true},
    };
    for (const Row& r : rows) {
        const Word w = valueOf(r.rest);
        EXPECT_EQ(w.text, r.text) << r.name;
        EXPECT_EQ(w.quoted, r.quoted) << r.name;
    }
}

TEST(ScriptLine, MalformedQuotingIsRefused) {
    const char* rows[] = {
        "\"no closing quote",
        "\"ends in a backslash\\",
        "\"unknown escape \\t\"",
        "\"text\" after the quoted value",
        "\"glued\"on",
        "# only a comment, no value",
        "",
    };
    for (const char* rest : rows)
        EXPECT_THROW(valueOf(rest), ScriptError) << rest;
}

TEST(ScriptLine, AnyWordMayBeQuoted) {
    LineReader line(R"(setting Options "Show Tips at Startup" 1)");
    EXPECT_EQ(line.word("command").text, "setting");
    EXPECT_EQ(line.word("SECTION").text, "Options");
    const Word key = line.word("KEY");
    EXPECT_EQ(key.text, "Show Tips at Startup");
    EXPECT_TRUE(key.quoted);
    EXPECT_EQ(line.value("VALUE").text, "1");
    EXPECT_TRUE(line.atEnd());
}

TEST(ScriptLine, EndRefusesLeftoverWordsButNotAComment) {
    LineReader ok("start   # the program's start-up");
    ok.word("command");
    EXPECT_NO_THROW(ok.end());
    LineReader extra("start now");
    extra.word("command");
    EXPECT_THROW(extra.end(), ScriptError);
}

TEST(ScriptWords, DurationsInEveryUnit) {
    struct Row {
        const char* text;
        std::optional<std::int64_t> ms;
    };
    const Row rows[] = {
        {"90", 90'000},
        {"90s", 90'000},
        {"500ms", 500},
        {"2m", 120'000},
        {"1h", 3'600'000},
        {"3d", 259'200'000},
        {"0", 0},
        {"0ms", 0},
        {"", std::nullopt},
        {"s", std::nullopt},
        {"-5s", std::nullopt},
        {"1.5s", std::nullopt},
        {"5 s", std::nullopt},
        {"1h30m", std::nullopt},
        {"10w", std::nullopt},
        {"999999999999999d", std::nullopt},
    };
    for (const Row& r : rows)
        EXPECT_EQ(parseDuration(r.text), r.ms) << '"' << r.text << '"';
}

TEST(ScriptWords, ClockStampsAreExactAndReal) {
    auto stamp = parseClockStamp("2001-05-03 10:29:50");
    ASSERT_TRUE(stamp);
    EXPECT_EQ(*stamp, DateTime::fromParts(2001, 5, 3, 10, 29, 50));
    EXPECT_EQ(parseClockStamp("2004-02-29   23:59:59"),
              DateTime::fromParts(2004, 2, 29, 23, 59, 59));
    for (const char* bad :
         {"2003-02-29 10:00:00", "2001-05-03 24:00:00", "2001-5-3 10:29:50", "2001-05-03 10:29",
          "2001-05-03T10:29:50", "2001-05-03 ", "May 3, 2001 10:29:50", "2001-05-03 10:29:50 PM"})
        EXPECT_FALSE(parseClockStamp(bad)) << bad;
}

TEST(ScriptWords, TargetsNameWindowControlIndexAndProperty) {
    const TargetPath panel = parseTarget("frmOrvane.sbrStatusBar(pnlCurrentFile).Text");
    ASSERT_EQ(panel.parts.size(), 3u);
    EXPECT_EQ(panel.form(), "frmOrvane");
    EXPECT_EQ(panel.parts[1].name, "sbrStatusBar");
    EXPECT_EQ(panel.parts[1].index, "pnlCurrentFile");
    EXPECT_EQ(panel.parts[2].name, "Text");

    const TargetPath record = parseTarget("frmEventTimers.EventData.Secs3");
    ASSERT_EQ(record.parts.size(), 3u);
    EXPECT_FALSE(record.parts[1].index);

    for (const char* bad :
         {"", "frmOrvane.", ".lblDays", "frmOrvane..lblDays", "frmOrvane(1).lblDays",
          "frmOrvane.pctEvent(3", "frmOrvane.pctEvent()", "frmOrvane.pctEvent(3).Tag(1)",
          "frmOrvane.a.b.c", "frmOrvane.pctEvent(3)x", "frmOrvane.pctEvent(-1)"})
        EXPECT_THROW(parseTarget(bad), ScriptError) << bad;
}

} // namespace
} // namespace orvane::script
