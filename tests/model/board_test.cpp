// The board's rules on their own, without a window: the count's phases, an event's moment,
// the alert levels and the order of the rows.

#include "dates/datetime.h"
#include "model/board.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace orvane::test {
namespace {

const Instant Launch = Instant::fromUnixSeconds(988885800); // 2001-05-03 10:30:00 UTC

TimeZone zone(const char* name) {
    return *TimeZone::named(name);
}

// Each tick moves a row's phase by what the clock shows of its moment; a row the count down
// has not yet seen pass waits for it before the count up captures the moment.
TEST(BoardRules, EveryPhaseTransition) {
    enum class Tick { Down, Up };
    const struct {
        const char* name;
        RowPhase before;
        std::int64_t secondsPast; // the present minus the event's moment
        Tick tick;
        RowPhase after;
        bool captures;
    } rows[] = {
        {"fresh row ahead counts down", RowPhase::Fresh, -5, Tick::Down, RowPhase::CountingDown,
         false},
        {"count down sees the moment come", RowPhase::CountingDown, 0, Tick::Down, RowPhase::Fresh,
         false},
        {"count up waits for the count down", RowPhase::CountingDown, 3, Tick::Up,
         RowPhase::CountingDown, false},
        {"count up captures a fresh passed row", RowPhase::Fresh, 0, Tick::Up, RowPhase::CountingUp,
         true},
        {"counting up stays so", RowPhase::CountingUp, 7, Tick::Up, RowPhase::CountingUp, false},
        {"count down leaves a passed row alone", RowPhase::CountingUp, 7, Tick::Down,
         RowPhase::CountingUp, false},
        {"an event back ahead counts down again", RowPhase::CountingUp, -60, Tick::Down,
         RowPhase::CountingDown, false},
        {"count up skips a row ahead", RowPhase::Fresh, -1, Tick::Up, RowPhase::Fresh, false},
    };
    const TimeZone utc = TimeZone::utc();
    for (const auto& row : rows) {
        Board b;
        b.define(2, "Ignition", Direction::Before, 600);
        b.setPhase(2, row.before);
        const Instant moment = b.eventMoment(2, Launch);
        const Instant now = moment.addSeconds(row.secondsPast);
        if (row.tick == Tick::Down)
            b.countDown(Launch, now);
        else
            b.countUp(Launch, now, utc, nullptr);
        EXPECT_EQ(b.row(2).phase, row.after) << row.name;
        EXPECT_EQ(b.row(2).captured.has_value(), row.captures) << row.name;
        if (row.captures) {
            EXPECT_EQ(utc.toInstant(*b.row(2).captured), moment) << row.name;
        }
    }
}

// A counting-up row counts from the moment it captured, not from one a later launch time
// gives it: the launch moving by less than the time passed leaves the count going on.
TEST(BoardRules, TheCountUpRunsFromTheCapturedMoment) {
    const TimeZone utc = TimeZone::utc();
    Board b;
    b.define(0, "Tower clear", Direction::After, 10);
    b.countUp(Launch, Launch.addSeconds(10), utc, nullptr);
    const Instant later = Launch.addSeconds(3600);
    b.countUp(Launch.addSeconds(5), later, utc, nullptr);
    EXPECT_EQ(b.row(0).count, (RowCount{3590, true}));
    EXPECT_EQ(b.countMoment(0, Launch.addSeconds(5), later, utc), Launch.addSeconds(10));
}

// Events lie whole real seconds from launch: a daylight saving change between them shows as
// an hour more or less on the wall clock, and a captured moment in the repeated hour keeps
// which of the two it was.
TEST(BoardRules, AnEventsMomentAcrossADaylightSavingChange) {
    const struct {
        const char* name;
        const char* launch;
        Occurrence occurrence;
        Direction direction;
        std::int32_t secs;
        const char* moment;
        Occurrence momentOccurrence;
    } rows[] = {
        {"hour before a launch after the spring gap", "2001-03-25 03:30:00", Occurrence::First,
         Direction::Before, 3600, "2001-03-25 01:30:00", Occurrence::First},
        {"hour after a launch before the spring gap", "2001-03-25 01:30:00", Occurrence::First,
         Direction::After, 3600, "2001-03-25 03:30:00", Occurrence::First},
        {"into the repeated autumn hour", "2001-10-28 03:30:00", Occurrence::First,
         Direction::Before, 3600, "2001-10-28 02:30:00", Occurrence::Second},
        {"out of the repeated autumn hour", "2001-10-28 02:30:00", Occurrence::First,
         Direction::After, 3600, "2001-10-28 02:30:00", Occurrence::Second},
    };
    const TimeZone berlin = zone("Europe/Berlin");
    for (const auto& row : rows) {
        Board b;
        b.define(4, "Event", row.direction, row.secs);
        const Instant launch = berlin.toInstant(*toDateTime(row.launch), row.occurrence);
        const Instant moment = b.eventMoment(4, launch);
        EXPECT_EQ(berlin.toLocal(moment),
                  (LocalTime{*toDateTime(row.moment), row.momentOccurrence}))
            << row.name;
        b.countUp(launch, moment.addSeconds(1), berlin, nullptr);
        EXPECT_EQ(b.countMoment(4, launch.addSeconds(-30), moment.addSeconds(2), berlin), moment)
            << row.name;
    }
}

TEST(BoardRules, AlertLevelsInTheLastTenMinutes) {
    const struct {
        std::int64_t ahead;
        AlertLevel level;
    } rows[] = {{601, AlertLevel::None},      {600, AlertLevel::TenMinutes},
                {61, AlertLevel::TenMinutes}, {60, AlertLevel::LastMinute},
                {1, AlertLevel::LastMinute},  {0, AlertLevel::None},
                {-30, AlertLevel::None}};
    Board b;
    b.define(1, "Event", Direction::Before, 600);
    const Instant moment = b.eventMoment(1, Launch);
    for (const auto& row : rows)
        EXPECT_EQ(b.alertLevel(1, Launch, moment.addSeconds(-row.ahead)), row.level) << row.ahead;
}

// Only an assigned event whose moment the clock reached is told as passed; a new launch time
// that puts a moment behind the present passes nothing.
TEST(BoardRules, PassingIsToldWhenTheClockReachesAnAssignedEvent) {
    const TimeZone utc = TimeZone::utc();
    Board b;
    b.define(3, "Go", Direction::Before, 10);
    b.setOffset(5, 10); // an event never assigned, at the same moment
    std::vector<int> passed;
    const auto hear = [&](int n) { passed.push_back(n); };
    b.countUp(Launch, Launch.addSeconds(-11), utc, hear);
    b.countUp(Launch, Launch.addSeconds(-10), utc, hear);
    EXPECT_EQ(passed, std::vector<int>{3});
    b.define(3, "Go", Direction::Before, 5);
    passed.clear();
    b.countUp(Launch.addSeconds(-60), Launch.addSeconds(-9), utc, hear);
    EXPECT_TRUE(passed.empty());
}

// Rows stand in time order: events before launch first, a removed event by its recorded
// offset, an event never set at launch, ties in event-number order. Every row tied at the
// first rank keeps its "High".
TEST(BoardRules, SequenceEventsPlacesRowsWithTies) {
    const struct {
        const char* name;
        std::function<void(Board&)> setUp;
        std::vector<int> places;
        std::vector<TravelEnd> ends;
    } rows[] = {
        {"nothing set",
         [](Board&) {},
         {0, 1, 2, 3, 4, 5, 6, 7, 8, 9},
         {TravelEnd::High, TravelEnd::High, TravelEnd::High, TravelEnd::High, TravelEnd::High,
          TravelEnd::High, TravelEnd::High, TravelEnd::High, TravelEnd::High, TravelEnd::Low}},
        {"before, after and unset",
         [](Board& b) {
             b.define(0, "a", Direction::After, 600);
             b.define(1, "b", Direction::Before, 3600);
             b.define(2, "c", Direction::Before, 60);
         },
         {9, 0, 1, 2, 3, 4, 5, 6, 7, 8},
         {TravelEnd::Low, TravelEnd::High, TravelEnd::None, TravelEnd::None, TravelEnd::None,
          TravelEnd::None, TravelEnd::None, TravelEnd::None, TravelEnd::None, TravelEnd::None}},
        {"equal offsets and a removed event",
         [](Board& b) {
             b.define(7, "h", Direction::Before, 3600);
             b.define(1, "b", Direction::Before, 3600);
             b.clear(7, "Event Unassigned");
             b.setOffset(9, 30); // never set: at launch plus its digits
         },
         {2, 0, 3, 4, 5, 6, 7, 1, 8, 9},
         {TravelEnd::None, TravelEnd::High, TravelEnd::None, TravelEnd::None, TravelEnd::None,
          TravelEnd::None, TravelEnd::None, TravelEnd::High, TravelEnd::None, TravelEnd::Low}},
    };
    for (const auto& row : rows) {
        Board b;
        row.setUp(b);
        b.sequence();
        for (int n = 0; n < Board::Rows; ++n) {
            EXPECT_EQ(b.row(n).place, row.places[std::size_t(n)]) << row.name << " row " << n;
            EXPECT_EQ(b.row(n).end, row.ends[std::size_t(n)]) << row.name << " row " << n;
        }
    }
}

// The move that reaches the end of the travel disables its own direction and is still made.
TEST(BoardRules, ScrollingStopsAtTheEndsOfTheTravel) {
    Board b;
    EXPECT_FALSE(b.canScrollDown());
    for (int i = 1; i <= 9; ++i) {
        EXPECT_TRUE(b.canScrollUp()) << i;
        b.scrollUp();
    }
    EXPECT_FALSE(b.canScrollUp());
    EXPECT_TRUE(b.canScrollDown());
    EXPECT_EQ(b.row(0).place, -9);
    for (int i = 1; i <= 9; ++i) {
        EXPECT_TRUE(b.canScrollDown()) << i;
        b.scrollDown();
    }
    EXPECT_FALSE(b.canScrollDown());
    EXPECT_TRUE(b.canScrollUp());
    EXPECT_EQ(b.row(0).place, 0);
}

} // namespace
} // namespace orvane::test
