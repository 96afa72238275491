// The launch data file's notation: what a file holds field by field, what the reader refuses
// and in which words, and that whatever is written reads back.

#include "data/launch_format.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace orvane::test {
namespace {

std::string sampleFile(const std::string& name) {
    std::ifstream in(std::string(ORVANE_LAUNCH_FILES) + "/" + name, std::ios::binary);
    EXPECT_TRUE(in) << name;
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The fields of a sample line as written, quotes kept, so that a test can spoil one.
std::vector<std::string> fieldsOf(std::string line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
        line.pop_back();
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (char c : line) {
        if (c == '"')
            quoted = !quoted;
        if (c == ',' && !quoted)
            fields.emplace_back();
        else
            fields.back() += c;
    }
    return fields;
}

std::string lineOf(const std::vector<std::string>& fields) {
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i)
        line += (i ? "," : "") + fields[i];
    return line + "\r\n";
}

TEST(LaunchFormat, FilesAsTheProgramWritesThemReadAndWriteBackByteForByte) {
    for (const char* name : {"design.ovx", "events.ovx"}) {
        const std::string content = sampleFile(name);
        const LaunchFileRead read = parseLaunchFile(content);
        ASSERT_TRUE(read.data) << name << ": " << read.problem;
        EXPECT_EQ(formatLaunchFile(*read.data), content) << name;
    }
}

TEST(LaunchFormat, EachFieldLandsOnItsOwnDestination) {
    const LaunchFileRead read = parseLaunchFile(sampleFile("events.ovx"));
    ASSERT_TRUE(read.data) << read.problem;
    const LaunchData& d = *read.data;
    EXPECT_EQ(d.lblTarget, "June 30, 2026   9:15:00 PM");
    EXPECT_EQ(d.txtLaunchDate, "Jun 30, 2026");
    EXPECT_EQ(d.chkLaunchWindowActive, 1);
    EXPECT_TRUE(d.holdEnabled);
    EXPECT_EQ(d.lblLaunchWindow, "0:45:00");
    EXPECT_EQ(d.txtMinutes, "15");
    EXPECT_EQ(d.txtHours, "21");
    EXPECT_EQ(d.txtMinutesW, "45");
    EXPECT_EQ(d.savePath, "/home/flight/sim/ascent.ovx");
    EXPECT_EQ(d.vsbMinutes, 15);
    EXPECT_EQ(d.vsbHours, 21);
    EXPECT_EQ(d.vsbMinutesW, 45);
    EXPECT_FALSE(d.sim.tMinus);
    EXPECT_EQ(d.sim.vsbSecondsSim, 30);
    EXPECT_EQ(d.sim.vsbDaysSim, 4);
    EXPECT_EQ(d.sim.txtDaysSim, "004");

    EXPECT_EQ(d.events[0], (LaunchEventBlock{"A7", 600, "-", true, "-", "Crew hatch closed"}));
    EXPECT_EQ(d.events[3], (LaunchEventBlock{{}, 3600, "+", true, "+", "Orbit insertion"}));
    EXPECT_EQ(d.events[7], (LaunchEventBlock{{}, 90, "-", false, "", "Event #8"}));
    // An event never set: nothing for its tag and sign, which stay empty, not empty texts.
    EXPECT_EQ(d.events[9], (LaunchEventBlock{{}, 0, {}, false, "", "Event #10"}));
    EXPECT_TRUE(d.events[9].tag.isEmpty());
    EXPECT_TRUE(d.events[9].plus.isEmpty());
}

TEST(LaunchFormat, ReadsWhatOtherBasicStyleWritersLeave) {
    const LaunchFileRead read = parseLaunchFile(sampleFile("other-writer.ovx"));
    ASSERT_TRUE(read.data) << read.problem;
    EXPECT_TRUE(read.data->holdEnabled) << "#True#";
    EXPECT_FALSE(read.data->sim.tMinus) << "#false#";
    EXPECT_EQ(read.data->savePath, "C:\\ORVANE\\LAUNCH.OVX");
    EXPECT_EQ(read.data->events[0].tag, Variant(17)) << "an unquoted number in a tag";
    EXPECT_EQ(read.data->events[0].name, "Event #1");
    const std::string written = formatLaunchFile(*read.data);
    EXPECT_TRUE(written.ends_with("\"Event #10\"\r\n"));
    EXPECT_EQ(written.find("\", \""), std::string::npos) << "no blanks after the commas";
    EXPECT_NE(written.find(",#TRUE#,"), std::string::npos);
}

TEST(LaunchFormat, ABadFileIsRefusedWithTheFirstThingWrongInIt) {
    const std::vector<std::string> design = fieldsOf(sampleFile("design.ovx"));
    ASSERT_EQ(design.size(), 88u);
    auto with = [&](int n, std::string field) {
        std::vector<std::string> f = design;
        f.at(std::size_t(n - 1)) = std::move(field);
        return lineOf(f);
    };
    auto first = [&](std::size_t count) {
        return lineOf({design.begin(), design.begin() + std::ptrdiff_t(count)});
    };
    std::vector<std::string> longer = design;
    longer.push_back("\"x\"");
    const std::string content = lineOf(design);

    struct Case {
        const char* name;
        std::string content;
        std::string problem;
    };
    const Case cases[] = {
        {"empty file", "", "field 1 is missing"},
        {"cut short", first(40), "field 41 is missing"},
        {"cut in a word", content.substr(0, 200), "field 32 is not #TRUE# or #FALSE#"},
        {"cut in a quote", content.substr(0, content.find("Event #4")),
         "field 52 has no closing quote"},
        {"87 fields", first(87), "field 88 is missing"},
        {"89 fields", lineOf(longer), "there is more after field 88"},
        {"a second line", content + "\"x\"\r\n", "there is more after field 88"},
        {"a word for a number", with(14, "abc"), "field 14 is not a whole number"},
        {"a fraction", with(30, "1.5"), "field 30 is not a whole number"},
        {"over 16 bits", with(14, "40000"), "field 14 is not a whole number from 0 to 59"},
        {"scroll bar out of range", with(16, "24"), "field 16 is not a whole number from 0 to 23"},
        {"sim days out of range", with(24, "366"), "field 24 is not a whole number from 0 to 365"},
        {"check box", with(3, "2"), "field 3 is not a whole number from 0 to 1"},
        {"negative seconds", with(30, "-600"),
         "field 30 is not a whole number from 0 to 2147483647"},
        {"over 32 bits", with(30, "2147483648"),
         "field 30 is not a whole number from 0 to 2147483647"},
        {"launch time", with(1, "\"hello\""), "field 1 is not a date and time"},
        {"launch window", with(5, "\"May 3, 2001\""), "field 5 is not a time as hh:mm:ss"},
        {"number for a boolean", with(4, "1"), "field 4 is not #TRUE# or #FALSE#"},
        {"quoted boolean", with(20, "\"#TRUE#\""), "field 20 is not #TRUE# or #FALSE#"},
        {"sign", with(31, "\"*\""), "field 31 is not \"+\", \"-\" or empty"},
        {"number for a sign", with(31, "5"), "field 31 is not \"+\", \"-\" or empty"},
        {"direction mark", with(33, "\"+-\""), "field 33 is not \"+\", \"-\" or empty"},
        {"text after a quote", with(6, "\"00\"x"), "field 6 has more after its closing quote"},
        {"stray quote", with(88, "Event\"10"), "field 88 has a double quote outside quotes"},
    };
    for (const Case& c : cases) {
        const LaunchFileRead read = parseLaunchFile(c.content);
        EXPECT_FALSE(read.data) << c.name;
        EXPECT_EQ(read.problem, c.problem) << c.name;
    }
}

// However an editor ended the line, or left empty lines after it, the file reads the same.
TEST(LaunchFormat, AnyLineEndReads) {
    std::string line = sampleFile("events.ovx");
    ASSERT_TRUE(line.ends_with("\r\n"));
    line.resize(line.size() - 2);
    for (const char* end : {"", "\n", "\r", "\r\n", "\n\n", "\r\n\r\n", " \r\n", "\t\n  "}) {
        const LaunchFileRead read = parseLaunchFile(line + end);
        ASSERT_TRUE(read.data) << testing::PrintToString(end) << ": " << read.problem;
        EXPECT_EQ(read.data->events[9].name, "Event #10") << testing::PrintToString(end);
    }
}

// The highest value of each number and entry box field is read, and written back as it
// stood; one past it is refused (above).
TEST(LaunchFormat, EachFieldsHighestValueIsReadAndWrittenBack) {
    const std::vector<std::string> design = fieldsOf(sampleFile("design.ovx"));
    ASSERT_EQ(design.size(), 88u);
    struct Row {
        int field;
        const char* text;
    };
    const Row rows[] = {
        {3, "1"},        {6, "\"59\""},      {7, "\"59\""},      {8, "\"23\""},  {9, "\"59\""},
        {10, "\"59\""},  {11, "\"23\""},     {14, "59"},         {15, "59"},     {16, "23"},
        {17, "59"},      {18, "59"},         {19, "23"},         {21, "59"},     {22, "59"},
        {23, "23"},      {24, "365"},        {25, "\"59\""},     {26, "\"59\""}, {27, "\"23\""},
        {28, "\"365\""}, {30, "2147483647"}, {84, "2147483647"},
    };
    for (const Row& r : rows) {
        std::vector<std::string> fields = design;
        fields.at(std::size_t(r.field - 1)) = r.text;
        const LaunchFileRead read = parseLaunchFile(lineOf(fields));
        ASSERT_TRUE(read.data) << "field " << r.field << " = " << r.text << ": " << read.problem;
        EXPECT_EQ(fieldsOf(formatLaunchFile(*read.data)).at(std::size_t(r.field - 1)), r.text)
            << "field " << r.field;
    }
}

TEST(LaunchFormat, WhatIsWrittenAlwaysReadsBack) {
    const LaunchFileRead design = parseLaunchFile(sampleFile("design.ovx"));
    ASSERT_TRUE(design.data) << design.problem;
    LaunchData d = *design.data;
    // A double quote cannot be written in the notation: it becomes an apostrophe.
    d.events[2].name = "Say \"go\"";
    d.events[1].tag = "";
    d.events[1].plus = "";
    d.savePath = "/home/a,b/launch.ovx";
    const LaunchFileRead read = parseLaunchFile(formatLaunchFile(d));
    ASSERT_TRUE(read.data) << read.problem;
    EXPECT_EQ(read.data->events[2].name, "Say 'go'");
    EXPECT_EQ(read.data->events[1].tag, Variant("")) << "an empty text stays a text";
    EXPECT_EQ(read.data->events[1].plus, Variant(""));
    EXPECT_TRUE(read.data->events[0].tag.isEmpty()) << "and empty stays empty";
    EXPECT_EQ(read.data->savePath, "/home/a,b/launch.ovx");
}

// Regression: boxes holding what a user may type before Set checks it (nothing, a word, a
// date with a time) were refused, though the program's own writer leaves such files.
TEST(LaunchFormat, EntryBoxesReadBackAsTheTextTheyHold) {
    const LaunchFileRead events = parseLaunchFile(sampleFile("events.ovx"));
    ASSERT_TRUE(events.data) << events.problem;
    LaunchData d = *events.data;
    d.txtLaunchDate = "May 3, 2001 10:30";
    d.txtSeconds = "";
    d.txtHours = "2x";
    d.txtMinutesW = "7";
    d.sim.txtDaysSim = "400";
    d.sim.txtHoursSim = "";
    const std::string written = formatLaunchFile(d);
    const LaunchFileRead read = parseLaunchFile(written);
    ASSERT_TRUE(read.data) << read.problem;
    EXPECT_EQ(read.data->txtLaunchDate, "May 3, 2001 10:30");
    EXPECT_EQ(read.data->txtSeconds, "");
    EXPECT_EQ(read.data->txtHours, "2x");
    EXPECT_EQ(read.data->txtMinutesW, "7") << "no leading zero is added";
    EXPECT_EQ(read.data->sim.txtDaysSim, "400");
    EXPECT_EQ(read.data->sim.txtHoursSim, "");
    EXPECT_EQ(read.data->vsbHours, d.vsbHours) << "a scroll bar keeps its own value";
    EXPECT_EQ(formatLaunchFile(*read.data), written);
}

} // namespace
} // namespace orvane::test
