// A leader's message reads back as it was written, whatever its texts hold; a message that is
// not one is refused without touching anything.

#include "follow/leader_message.h"
#include "services/json.h"

#include <gtest/gtest.h>

namespace orvane {
namespace {

LeaderMessage sample() {
    LeaderMessage m;
    m.run = 1'700'000'000'000;
    m.sequence = 42;
    m.trueTimeMs = 1'700'000'123'456;
    m.simOffsetMs = -3'600'500;
    m.brokerRoundTripMs = 3;
    m.clockHealth = {ClockHealth::Sync::Synchronised, 12};
    m.state.serverTimeMs = m.trueTimeMs + m.simOffsetMs;
    m.state.launchTimeMs = 1'700'000'400'000;
    m.state.holding = true;
    m.state.count = {'-', 0, 1, 2, 3};
    m.state.windowActive = true;
    m.state.windowText = "00:09:30";
    m.state.windowLeftSeconds = 570;
    m.state.events.push_back({3, "Tank \"press\"\\ \xc3\xa9t\xc3\xa9\n", '+', 120,
                              1'700'000'520'000, "+ 0/   00:02:00"});
    return m;
}

TEST(LeaderMessage, ReadsBackAsWritten_TextsWithQuotesAndAccentsIncluded) {
    const LeaderMessage m = sample();
    std::string error;
    const auto back = parseLeaderMessage(leaderMessageJson(m), error);
    ASSERT_TRUE(back) << error;
    EXPECT_EQ(back->run, m.run);
    EXPECT_EQ(back->sequence, 42);
    EXPECT_EQ(back->trueTimeMs, m.trueTimeMs);
    EXPECT_EQ(back->simOffsetMs, m.simOffsetMs);
    EXPECT_EQ(back->brokerRoundTripMs, 3);
    EXPECT_EQ(back->clockHealth, m.clockHealth);
    EXPECT_EQ(back->state.launchTimeMs, m.state.launchTimeMs);
    EXPECT_TRUE(back->state.holding);
    EXPECT_EQ(back->state.count, m.state.count);
    EXPECT_EQ(back->state.windowText, "00:09:30");
    EXPECT_EQ(back->state.windowLeftSeconds, 570);
    ASSERT_EQ(back->state.events.size(), 1u);
    EXPECT_EQ(back->state.events[0].name, m.state.events[0].name);
    EXPECT_EQ(back->state.events[0].sign, '+');
    EXPECT_EQ(back->state.events[0].offsetSeconds, 120);
}

// A leader from before the window was sent in seconds sends only its text.
TEST(LeaderMessage, AnOlderLeadersMessageHasNoSecondsLeftOfTheWindow) {
    std::string text = leaderMessageJson(sample());
    text.erase(text.find(",\"left_s\":570"), 13);
    std::string error;
    const auto back = parseLeaderMessage(text, error);
    ASSERT_TRUE(back) << error;
    EXPECT_EQ(back->state.windowText, "00:09:30");
    EXPECT_FALSE(back->state.windowLeftSeconds);
}

// The board's other rows were added later: an older leader's message, without them, still
// reads, and one with them reads back as written; a row is checked as an event is.
TEST(LeaderMessage, TheBoardsOtherRowsAreAddedWithoutChangingAnythingElse) {
    std::string error;
    const std::string old = leaderMessageJson(sample());
    ASSERT_EQ(old.find("rows"), std::string::npos);
    const auto oldBack = parseLeaderMessage(old, error);
    ASSERT_TRUE(oldBack) << error;
    EXPECT_FALSE(oldBack->rows);

    LeaderMessage m = sample();
    m.rows = std::vector<LeaderRow>{{1, "Event 1", true}, {10, "Hidden \"ten\"", false}};
    const std::string text = leaderMessageJson(m);
    EXPECT_EQ(text.substr(0, old.size() - 1), old.substr(0, old.size() - 1))
        << "the fields an older follower reads stay as they were";
    const auto back = parseLeaderMessage(text, error);
    ASSERT_TRUE(back) << error;
    EXPECT_EQ(back->rows, m.rows);

    const auto refused = [&](std::vector<LeaderRow> rows, const std::string& why) {
        LeaderMessage bad = sample();
        bad.rows = std::move(rows);
        std::string e;
        EXPECT_FALSE(parseLeaderMessage(leaderMessageJson(bad), e)) << why;
        EXPECT_EQ(e, why);
    };
    refused({{3, "Event 3", true}}, "two rows have the number 3");
    refused({{11, "Event 11", true}}, "the field rows.number is out of range");
    refused({{0, "Event 0", true}}, "the field rows.number is out of range");
    refused({{1, std::string(31, 'x'), true}}, "the field rows.name is too long");
    std::string odd = text;
    odd.replace(odd.find("\"visible\":true"), 14, "\"visible\":1");
    EXPECT_FALSE(parseLeaderMessage(odd, error));
    EXPECT_EQ(error, "a row's number, name or visibility is missing");
    std::string notList = old;
    notList.insert(notList.size() - 1, ",\"rows\":{}");
    EXPECT_FALSE(parseLeaderMessage(notList, error));
    EXPECT_EQ(error, "the field rows is not a list");
}

// The leader's last happenings ride in every state message, each by its number.
TEST(LeaderMessage, TheLastHappeningsAreCheckedAndReadBackByTheirNumbers) {
    LeaderMessage m = sample();
    m.happenings = std::vector<LeaderHappening>{{7, "hold", "{\"kind\":\"hold\",\"sequence\":7}"},
                                                {8, "resume", {}}};
    std::string error;
    const auto back = parseLeaderMessage(leaderMessageJson(m), error);
    ASSERT_TRUE(back) << error;
    EXPECT_EQ(back->happenings, m.happenings);
    EXPECT_EQ(parseLeaderHappenings(leaderMessageJson(m), error), m.happenings);
    EXPECT_FALSE(parseLeaderHappenings(leaderMessageJson(sample()), error)) << "an older leader's";
    EXPECT_EQ(error, "");

    const auto refused = [&](std::vector<LeaderHappening> list, const std::string& why) {
        LeaderMessage bad = sample();
        bad.happenings = std::move(list);
        std::string e;
        EXPECT_FALSE(parseLeaderMessage(leaderMessageJson(bad), e)) << why;
        EXPECT_EQ(e, why);
        EXPECT_FALSE(parseLeaderHappenings(leaderMessageJson(bad), e));
        EXPECT_EQ(e, why);
    };
    std::vector<LeaderHappening> sixteen;
    for (int i = 1; i <= 16; ++i)
        sixteen.push_back({i, "hold", {}});
    m.happenings = sixteen;
    EXPECT_TRUE(parseLeaderMessage(leaderMessageJson(m), error)) << error;
    sixteen.push_back({17, "hold", {}});
    refused(sixteen, "there are more than 16 happenings");
    const std::string order = "the field happenings.sequence is out of range or out of order";
    refused({{0, "hold", {}}}, order);
    refused({{leader_limits::MaxSequence + 1, "hold", {}}}, order);
    refused({{5, "hold", {}}, {5, "resume", {}}}, order);
    refused({{5, "hold", {}}, {4, "resume", {}}}, order);
    EXPECT_TRUE(parseLeaderMessage(
        leaderMessageJson([&] {
            m.happenings = {{{leader_limits::MaxSequence, std::string(40, 'k'), {}}}};
            return m;
        }()),
        error))
        << error;
    refused({{1, std::string(41, 'k'), {}}}, "the field happenings.kind is too long");
    refused({{1, "", "{\"kind\":\"hold\"}"}}, "a happening's number or kind is missing");
}

TEST(LeaderMessage, IsTheDisplaysStateWithTheLeadersFieldsAfterIt) {
    LeaderMessage m = sample();
    m.brokerRoundTripMs.reset();
    m.clockHealth = {};
    const std::string text = leaderMessageJson(m);
    const std::string state = remoteStateJson(m.state);
    EXPECT_EQ(text.substr(0, state.size() - 1), state.substr(0, state.size() - 1));
    EXPECT_NE(text.find("\"broker_round_trip_ms\":null"), std::string::npos);
    EXPECT_NE(text.find("\"clock\":{\"sync\":\"unknown\",\"max_error_ms\":null}"),
              std::string::npos);
}

TEST(LeaderMessage, WhatIsNotOneIsRefusedWithAReason) {
    const std::string good = leaderMessageJson(sample());
    for (const std::string& text :
         {std::string(), std::string("[]"), std::string("{\"holding\":true}"),
          good.substr(0, good.size() - 1), good + "x", std::string("{\"server_time_ms\":1.5}"),
          // An event out of the board's ten.
          leaderMessageJson(sample()).replace(good.find("\"number\":3"), 10, "\"number\":11"),
          // Each of the leader's own fields missing.
          std::string(good).replace(good.find("\"run\""), 5, "\"ran\""),
          std::string(good).replace(good.find("\"sequence\""), 10, "\"sequencx\""),
          std::string(good).replace(good.find("\"true_time_ms\""), 14, "\"true_time_mx\""),
          std::string(good).replace(good.find("\"sim_offset_ms\""), 15, "\"sim_offset_mx\"")}) {
        std::string error;
        EXPECT_FALSE(parseLeaderMessage(text, error)) << text;
        EXPECT_FALSE(error.empty()) << text;
    }
}

// Each field at its bounds and just inside them is read; just past either, the message is
// refused whole, naming the field.
TEST(LeaderMessage, EveryFieldIsCheckedAtAndJustPastItsBounds) {
    namespace lim = leader_limits;
    using Set = void (*)(LeaderMessage&, std::int64_t);
    struct Row {
        const char* field;
        Set set;
        std::int64_t low, high;
        bool lowCanPass = true; // a length has no value below its low bound
    };
    const std::int64_t trueTime = sample().trueTimeMs;
    const Row rows[] = {
        {"run", [](LeaderMessage& m, std::int64_t v) { m.run = v; }, lim::FirstMs, lim::LastMs},
        {"sequence", [](LeaderMessage& m, std::int64_t v) { m.sequence = v; }, 1, lim::MaxSequence},
        {"true_time_ms",
         [](LeaderMessage& m, std::int64_t v) { m.trueTimeMs = v, m.simOffsetMs = 0; },
         lim::FirstMs, lim::LastMs},
        {"sim_offset_ms", [](LeaderMessage& m, std::int64_t v) { m.simOffsetMs = v; },
         lim::FirstMs - trueTime, lim::LastMs - trueTime},
        {"broker_round_trip_ms", [](LeaderMessage& m, std::int64_t v) { m.brokerRoundTripMs = v; },
         0, lim::MaxRoundTripMs},
        {"max_error_ms", [](LeaderMessage& m, std::int64_t v) { m.clockHealth.maxErrorMs = v; }, 0,
         lim::MaxClockErrorMs},
        {"server_time_ms", [](LeaderMessage& m, std::int64_t v) { m.state.serverTimeMs = v; },
         lim::FirstMs, lim::LastMs},
        {"launch_time_ms", [](LeaderMessage& m, std::int64_t v) { m.state.launchTimeMs = v; },
         lim::FirstMs, lim::LastMs},
        {"days", [](LeaderMessage& m, std::int64_t v) { m.state.count.days = v; }, 0, lim::MaxDays},
        {"hours", [](LeaderMessage& m, std::int64_t v) { m.state.count.hours = v; }, 0, 23},
        {"minutes", [](LeaderMessage& m, std::int64_t v) { m.state.count.minutes = v; }, 0, 59},
        {"seconds", [](LeaderMessage& m, std::int64_t v) { m.state.count.seconds = v; }, 0, 59},
        {"number", [](LeaderMessage& m, std::int64_t v) { m.state.events[0].number = int(v); }, 1,
         10},
        {"offset_s", [](LeaderMessage& m, std::int64_t v) { m.state.events[0].offsetSeconds = v; },
         0, lim::MaxOffsetSeconds},
        {"moment_ms", [](LeaderMessage& m, std::int64_t v) { m.state.events[0].momentMs = v; },
         lim::FirstMs, lim::LastMs},
        {"name",
         [](LeaderMessage& m, std::int64_t v) {
             m.state.events[0].name = std::string(std::size_t(v), 'x');
         },
         0, 30, false},
        {"name of letters",
         [](LeaderMessage& m, std::int64_t v) {
             m.state.events[0].name.clear();
             for (std::int64_t i = 0; i < v; ++i)
                 m.state.events[0].name += "\xe6\x97\xa5";
         },
         0, 30, false},
        {"event text",
         [](LeaderMessage& m, std::int64_t v) {
             m.state.events[0].text = std::string(std::size_t(v), '0');
         },
         0, lim::MaxTextBytes, false},
        {"window text",
         [](LeaderMessage& m, std::int64_t v) {
             m.state.windowText = std::string(std::size_t(v), '0');
         },
         0, lim::MaxTextBytes, false},
        {"events",
         [](LeaderMessage& m, std::int64_t v) {
             m.state.events.resize(std::size_t(v), m.state.events.front());
             for (std::size_t i = 0; i < m.state.events.size(); ++i)
                 m.state.events[i].number = int(i + 1);
         },
         1, 10, false},
    };
    const auto reads = [](const Row& row, std::int64_t v) {
        LeaderMessage m = sample();
        row.set(m, v);
        std::string error;
        return bool(parseLeaderMessage(leaderMessageJson(m), error));
    };
    for (const Row& row : rows) {
        for (const std::int64_t v : {row.low, row.low + 1, row.high - 1, row.high}) {
            EXPECT_TRUE(reads(row, v)) << row.field << " = " << v;
        }
        if (row.lowCanPass) {
            EXPECT_FALSE(reads(row, row.low - 1)) << row.field << " = " << row.low - 1;
        }
        EXPECT_FALSE(reads(row, row.high + 1)) << row.field << " = " << row.high + 1;
    }
    // Numbers a narrowing would have made fit, and two events on one row.
    const std::string good = leaderMessageJson(sample());
    for (const std::string& text :
         {std::string(good).replace(good.find("\"number\":3"), 10, "\"number\":4294967299"),
          std::string(good).replace(good.find("\"sequence\":42"), 14,
                                    "\"sequence\":9223372036854775807")}) {
        std::string error;
        EXPECT_FALSE(parseLeaderMessage(text, error)) << text;
    }
    LeaderMessage twice = sample();
    twice.state.events.push_back(twice.state.events.front());
    std::string error;
    EXPECT_FALSE(parseLeaderMessage(leaderMessageJson(twice), error));
    EXPECT_EQ(error, "two events have the number 3");
}

TEST(Json, ReadsEscapesAndSurrogatePairs_RefusesDeepNesting) {
    std::string error;
    const auto v = JsonValue::parse(R"({"a":"x\u00e9\ud83d\ude80\/","b":[1,-2,true,null]})", error);
    ASSERT_TRUE(v) << error;
    EXPECT_EQ((*v)["a"].text(), "x\xc3\xa9\xf0\x9f\x9a\x80/");
    ASSERT_EQ((*v)["b"].items().size(), 4u);
    EXPECT_EQ((*v)["b"].items()[1].number(), -2);
    EXPECT_TRUE((*v)["b"].items()[3].isNull());
    EXPECT_FALSE(JsonValue::parse(std::string(100, '[') + std::string(100, ']'), error));
    EXPECT_FALSE(JsonValue::parse("{\"a\":\"\x01\"}", error)) << "a raw control character";
}

TEST(HappeningMessage, TellsTheKindAndItsDetails_NeverAFilesPath) {
    Happening h;
    h.kind = Happening::Kind::FileSaved;
    h.path = "/home/flight/secret-plans.ovx";
    h.at.trueMs = 1000;
    EXPECT_EQ(happeningJson(h, 7, 1).find("secret"), std::string::npos);
    h.kind = Happening::Kind::EventDefined;
    h.event = HappeningEvent{4, "Roll", -90};
    std::string error;
    const auto v = JsonValue::parse(happeningJson(h, 7, 2), error);
    ASSERT_TRUE(v) << error;
    EXPECT_EQ((*v)["kind"].text(), "event defined");
    EXPECT_EQ((*v)["sequence"].number(), 2);
    EXPECT_EQ((*v)["event"]["offset_s"].number(), -90);
}

} // namespace
} // namespace orvane
