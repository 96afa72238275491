// The countdown plan's rules with no window: what a plan takes, when a built-in hold begins
// and ends, and how much built-in hold time lies ahead of the count and of liftoff.

#include "model/countdown_plan.h"
#include "model/launch_state.h"

#include <gtest/gtest.h>

namespace orvane {
namespace {

constexpr std::int64_t H = 3600, M = 60;

// The last hours of a crewed launch.
CountdownPlan crewed() {
    CountdownPlan p;
    EXPECT_FALSE(p.add({9 * M, 45 * M, "Final built-in hold: go/no-go poll", true}));
    EXPECT_FALSE(p.add({3 * H, 2 * H + 30 * M, "Built-in hold", false}));
    EXPECT_FALSE(p.add({20 * M, 10 * M, "Built-in hold", false}));
    return p;
}

TEST(CountdownPlan, KeepsItsHoldsInTheOrderTheCountReachesThem) {
    const CountdownPlan p = crewed();
    ASSERT_EQ(p.holds().size(), 3u);
    EXPECT_EQ(p.holds()[0].tSeconds, 3 * H);
    EXPECT_EQ(p.holds()[1].tSeconds, 20 * M);
    EXPECT_EQ(p.holds()[2].tSeconds, 9 * M);
}

struct Refused {
    BuiltInHold hold;
    const char* message;
};

TEST(CountdownPlan, RefusesAnEntryOutOfBoundsAndSaysWhy) {
    const Refused cases[] = {
        {{0, 60, "", false}, "The T-time must be before T-0."},
        {{-5, 60, "", false}, "The T-time must be before T-0."},
        {{99 * H + 1, 60, "", false}, "The T-time must be at most T-99:00:00."},
        {{60, 0, "", false}, "The length must be from 0:00:01 to 99:00:00."},
        {{60, 99 * H + 1, "", false}, "The length must be from 0:00:01 to 99:00:00."},
        {{60, 60, std::string(61, 'x'), false}, "The label must be at most 60 characters."},
        {{60, 60, "a\tb", false}, "The label must not hold control characters."},
        {{20 * M, 60, "again", false}, "Another built-in hold is at T-0:20:00."},
    };
    for (const Refused& c : cases) {
        CountdownPlan p = crewed();
        EXPECT_EQ(p.add(c.hold).value_or("taken"), c.message) << c.hold.tSeconds;
        EXPECT_EQ(p.holds(), crewed().holds()) << "a refused entry changed the plan";
    }
    // The bounds themselves are taken.
    CountdownPlan p;
    EXPECT_FALSE(p.add({99 * H, 99 * H, std::string(60, 'x'), false}));
    EXPECT_FALSE(p.add({1, 1, "", true}));
    // An entry may keep its own T-time when replaced, never take another's.
    CountdownPlan q = crewed();
    EXPECT_FALSE(q.replace(1, {20 * M, 5 * M, "shorter", false}));
    EXPECT_EQ(q.replace(1, {9 * M, 5 * M, "", false}).value_or("taken"),
              "Another built-in hold is at T-0:09:00.");
    EXPECT_EQ(q.holds()[1].lengthSeconds, 5 * M);
}

TEST(CountdownPlan, HoldsAtMostFifty) {
    CountdownPlan p;
    for (int i = 1; i <= 50; ++i)
        ASSERT_FALSE(p.add({i * 60, 1, "", false}));
    EXPECT_EQ(p.add({51 * 60, 1, "", false}).value_or("taken"),
              "A plan has at most 50 built-in holds.");
    p.remove(0);
    EXPECT_FALSE(p.add({51 * 60, 1, "", false}));
}

TEST(CountdownPlan, AHoldBeginsAtItsTimeEndsOnceAndIsAheadAgainWhenTheCountGoesBackAbove) {
    CountdownPlan p = crewed();
    EXPECT_EQ(p.timeAhead(3 * H + 1), 3 * H + 25 * M);
    EXPECT_FALSE(p.holdDueAt(3 * H + 1));
    const auto due = p.holdDueAt(20 * M);
    ASSERT_TRUE(due);
    EXPECT_EQ(due->lengthSeconds, 10 * M);
    p.begin(*due);
    EXPECT_EQ(p.timeAhead(20 * M), 55 * M);
    p.setElapsed(10 * M - 1);
    EXPECT_FALSE(p.due());
    EXPECT_EQ(p.timeAhead(20 * M), 45 * M + 1);
    p.setElapsed(10 * M);
    EXPECT_TRUE(p.due());
    p.end();
    // Still at its T-time, it does not begin again; the count leaves it and comes back.
    EXPECT_FALSE(p.holdDueAt(20 * M));
    EXPECT_EQ(p.timeAhead(20 * M), 45 * M);
    EXPECT_FALSE(p.holdDueAt(20 * M + 1));
    EXPECT_TRUE(p.holdDueAt(20 * M));
}

TEST(CountdownPlan, AWaitingHoldRunsPastItsPlanAndAnExtendedOneLonger) {
    CountdownPlan p = crewed();
    p.begin(p.holds()[2]);
    p.setElapsed(49 * M);
    EXPECT_FALSE(p.due());
    EXPECT_EQ(p.left(), -4 * M);
    EXPECT_EQ(p.timeAhead(9 * M), 0);

    p.end();
    p.begin(p.holds()[1], 9 * M);
    p.extend(5 * M);
    p.setElapsed(14 * M);
    EXPECT_FALSE(p.due());
    EXPECT_EQ(p.left(), M);
    p.makeWait();
    p.setElapsed(20 * M);
    EXPECT_FALSE(p.due());
    // Editing the plan during a hold changes only the holds ahead.
    ASSERT_FALSE(p.replace(1, {20 * M, 1, "", false}));
    EXPECT_EQ(p.standing()->lengthSeconds, 15 * M);
}

// Each row: the count now, seconds from now, and the count then if the plan runs to time.
struct CountCase {
    std::int64_t now, after, then;
};

TEST(CountdownPlan, TheCountAtAMomentStandsThroughEveryHoldAhead) {
    CountdownPlan p = crewed();
    const CountCase counting[] = {
        {30 * M, -60, 31 * M},    // a moment gone: the count was higher
        {30 * M, 10 * M, 20 * M}, // reaching T-20:00
        {30 * M, 20 * M, 20 * M}, // the hold's last second
        {30 * M, 20 * M + 1, 20 * M - 1},
        {30 * M, 31 * M, 9 * M}, // into the poll
        {30 * M, 76 * M, 9 * M}, // the poll's last second
        {30 * M, 85 * M, 0},     // liftoff: the holds' 55 minutes later
        {30 * M, 86 * M, -60},   // and after it
        {20 * M, 5 * M, 20 * M}, // a count at a hold's T-time is about to stand in it
    };
    for (const CountCase& c : counting) {
        EXPECT_EQ(p.countAfter(c.now, c.after), c.then) << c.now << " +" << c.after;
        EXPECT_EQ(p.countAfter(c.now, c.now + p.timeAhead(c.now)), 0) << "liftoff";
    }
    // With a hold standing, its rest comes first; one that waits past its plan has none left.
    p.begin(p.holds()[1], 4 * M);
    EXPECT_EQ(p.countAfter(20 * M, 6 * M), 20 * M);
    EXPECT_EQ(p.countAfter(20 * M, 6 * M + 1), 20 * M - 1);
    EXPECT_EQ(p.countAfter(20 * M, 17 * M), 9 * M);
    p.end();
    p.begin(p.holds()[2]);
    p.setElapsed(50 * M);
    EXPECT_EQ(p.countAfter(9 * M, 60), 8 * M);
}

TEST(LeaderPlan, AFollowerRunsTheLeadersHoldOnAndMovesLiftoffOnlyPastThePlan) {
    // Told at second 1000: liftoff at 5000, a built-in hold with 3 s left.
    LeaderPlan told{5000, "Built-in hold", 3, 1000, true};
    EXPECT_EQ(told.holdLeftAt(999), 3);
    EXPECT_EQ(told.holdLeftAt(1002), 1);
    EXPECT_EQ(told.liftoffAt(1003), 5000);
    told.holdLeft = -2; // a waiting hold already 2 s past its plan: liftoff moves on
    EXPECT_EQ(told.liftoffAt(1004), 5004);
    told.holdLeft = 2;
    EXPECT_EQ(told.liftoffAt(1005), 5003);
    told.holdLabel.reset(); // a hold by hand moves liftoff with the clock
    EXPECT_EQ(told.liftoffAt(1005), 5005);
    EXPECT_EQ(told.liftoffAt(990), 5000);
    told.holding = false;
    EXPECT_EQ(told.liftoffAt(1005), 5000);
}

// Each row: seconds from the present to liftoff, and where the launch time must stand.
struct PlaceCase {
    std::int64_t toLiftoff;
    std::int64_t ahead;
    std::int64_t entering; // the T-time of the hold the present falls in, or 0
    std::int64_t elapsed;
};

TEST(CountdownPlan, PlacesTheLaunchTimeBackFromLiftoff) {
    const CountdownPlan p = crewed();
    const PlaceCase cases[] = {
        // Far away: every hold ahead.
        {10 * H, 3 * H + 25 * M, 0, 0},
        // One second before the count would reach T-3:00:00.
        {3 * H + 3 * H + 25 * M + 1, 3 * H + 25 * M, 0, 0},
        // At that second: the first hold begins now, whole.
        {3 * H + 3 * H + 25 * M, 3 * H + 25 * M, 3 * H, 0},
        // An hour into it.
        {3 * H + 2 * H + 25 * M, 2 * H + 25 * M, 3 * H, H},
        // Its last second, then just past it: only the holds below it.
        {3 * H + 55 * M + 1, 55 * M + 1, 3 * H, 2 * H + 30 * M - 1},
        {3 * H + 55 * M, 55 * M, 0, 0},
        // Between the last two holds, in the last one, and past every one.
        {9 * M + 45 * M + 1, 45 * M, 0, 0},
        {9 * M + 45 * M, 45 * M, 9 * M, 0},
        {9 * M + 1, 1, 9 * M, 45 * M - 1},
        {9 * M, 0, 0, 0},
        {-5, 0, 0, 0},
    };
    for (const PlaceCase& c : cases) {
        const CountdownPlan::Placement got = p.placeLiftoff(c.toLiftoff);
        EXPECT_EQ(got.ahead, c.ahead) << c.toLiftoff;
        EXPECT_EQ(got.entering ? got.entering->tSeconds : 0, c.entering) << c.toLiftoff;
        EXPECT_EQ(got.elapsed, c.elapsed) << c.toLiftoff;
    }
}

Instant at(const char* text) {
    return TimeZone::utc().toInstant(readLocalTime(text).value());
}

TEST(LaunchStatePlan, LiftoffStandsThroughAHoldKeptToPlanWhateverTheClockDoes) {
    const TimeZone zone = TimeZone::utc();
    LaunchState s;
    s.plan() = crewed();
    const Instant now = at("May 3, 2001 10:10:00 AM");
    EXPECT_EQ(s.liftoffMoment(now, zone), at("May 3, 2001 11:25:00 AM"));
    s.beginBuiltInHold(s.plan().holds()[1], 0, now, 1000, zone);
    EXPECT_TRUE(s.builtInHeld());
    EXPECT_TRUE(s.armed()) << "a built-in hold arms holds while it stands";
    EXPECT_FALSE(s.armedByUser());
    s.setArmed(true);
    EXPECT_TRUE(s.armedByUser());
    // Five minutes pass while the clock is stepped an hour on.
    const Instant later = now.addSeconds(300 + 3600);
    s.moveHeldLaunch(later, 301000, zone);
    // Regression: a turn of the second met 10 ms sooner after it than the hold's first turn was
    // taken for the second before, and the hold ended (and liftoff moved) a second late.
    s.passBuiltInHold(300990);
    EXPECT_EQ(s.plan().left(), 300);
    s.passBuiltInHold(301000);
    EXPECT_EQ(s.plan().left(), 300);
    // The launch time moved by the five minutes held, not by the step.
    EXPECT_EQ(formatDate(s.launchTime()->wall, "hh:nn:ss"), "10:35:00");
    EXPECT_EQ(s.liftoffMoment(later, zone), at("May 3, 2001 11:25:00 AM"))
        << "the step of the clock moved liftoff";
    s.endBuiltInHold();
    EXPECT_FALSE(s.held());
    EXPECT_TRUE(s.armed()) << "arming returns to what was asked during the hold";
}

TEST(LaunchStatePlan, TheTimeEnteredIsLiftoffAndAPresentInsideAHoldEntersIt) {
    const TimeZone zone = TimeZone::utc();
    LaunchState s;
    s.plan() = crewed();
    const LocalTime liftoff = readLocalTime("May 3, 2001 1:55:00 PM").value();
    EXPECT_FALSE(s.setLiftoff(liftoff, at("May 3, 2001 7:00:00 AM"), 0, zone));
    EXPECT_EQ(formatDate(s.launchTime()->wall, "hh:nn:ss"), "10:30:00");
    EXPECT_FALSE(s.held());
    // An hour into the first hold: the count enters it at its T-time with 1:30:00 left.
    const Instant now = at("May 3, 2001 8:30:00 AM");
    EXPECT_TRUE(s.setLiftoff(liftoff, now, 0, zone));
    EXPECT_TRUE(s.builtInHeld());
    EXPECT_EQ(s.secondsToLaunch(now, zone), 3 * H);
    EXPECT_EQ(s.plan().left(), H + 30 * M);
    EXPECT_EQ(s.liftoffMoment(now, zone), zone.toInstant(liftoff));
    // Entered again past every hold, the standing one gives way.
    EXPECT_FALSE(s.setLiftoff(liftoff, at("May 3, 2001 1:50:00 PM"), 0, zone));
    EXPECT_FALSE(s.held());
    EXPECT_EQ(formatDate(s.launchTime()->wall, "hh:nn:ss"), "13:55:00");
}

TEST(CountdownPlan, WritesAndReadsTimesAsTheyAreShown) {
    EXPECT_EQ(formatHms(0), "0:00:00");
    EXPECT_EQ(formatHms(99 * H + 59), "99:00:59");
    EXPECT_EQ(formatHms(-61), "-0:01:01");
    EXPECT_EQ(readHms("00:20:00"), 20 * M);
    EXPECT_EQ(readHms("3:00:01"), 3 * H + 1);
    EXPECT_EQ(readHms("99:59:59"), 99 * H + 59 * M + 59);
    for (const char* bad : {"", "1:2:3", "100:00:00", "00:60:00", "00:00:60", "0:00:00x",
                            "-1:00:00", "a:00:00", "00:00", ":00:00:00"})
        EXPECT_FALSE(readHms(bad)) << bad;
}

} // namespace
} // namespace orvane
