// What the program tells its listeners as a user goes through a countdown: the happenings in
// order, each with the count shown and the details a journal or a caller would need.

#include "events/frmEventTimers.h"
#include "support/app_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace orvane::test {
namespace {

using Kind = Happening::Kind;

class HappeningsTest : public AppTest {
  protected:
    HappeningsTest() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "orvane-happenings-XXXXXX").string();
        EXPECT_TRUE(mkdtemp(pattern.data()));
        folder = pattern;
        app.services().info.programDir = folder;
        heard = app.happenings().subscribe([this](const Happening& h) { told.push_back(h); });
    }
    ~HappeningsTest() override { std::filesystem::remove_all(folder); }

    std::vector<std::string> kinds() const {
        std::vector<std::string> names;
        for (const Happening& h : told)
            names.emplace_back(kindName(h.kind));
        return names;
    }
    const Happening* last(Kind kind) const {
        for (auto it = told.rbegin(); it != told.rend(); ++it)
            if (it->kind == kind)
                return &*it;
        return nullptr;
    }
    void menu(MenuItem& item) {
        world.scheduler.deliver([&] { item.click(); });
    }
    std::int64_t ms(const char* wall) {
        return world.services.clock.zone().toInstant(LocalTime{at(wall)}).unixSeconds() * 1000;
    }

    std::string folder;
    std::vector<Happening> told;
    Subscription heard;
};

TEST_F(HappeningsTest, AHoldAndItsResumeTellTheFrozenCountAndHowLongTheHoldLasted) {
    clockAt("2001-05-03 10:20:00");
    startAndSettle();
    frmOrvane& f = main();
    f.control<Label>("lblTarget").setCaption("May 3, 2001   10:30:00 AM");
    advance(1s);
    told.clear();

    ASSERT_TRUE(click(f.control<MenuItem>("mnuHoldEnable")));
    ASSERT_TRUE(click(f.control<CommandButton>("cmdHoldResume")));
    advance(95s);
    ASSERT_TRUE(click(f.control<CommandButton>("cmdHoldResume")));

    ASSERT_EQ(kinds(), (std::vector<std::string>{"hold", "resume"}));
    const Happening& hold = told[0];
    EXPECT_EQ(hold.shown.text(), "T - 000 00:09:56");
    EXPECT_EQ(hold.at.shownMs(), hold.at.trueMs) << "the program's clock runs with the true one";
    EXPECT_FALSE(hold.at.programMs);

    const Happening& resume = told[1];
    EXPECT_EQ(resume.heldSeconds, 95);
    EXPECT_EQ(resume.shown, hold.shown) << "the count goes on from where the hold froze it";
    EXPECT_EQ(resume.at.trueMs - hold.at.trueMs, 95'000);
    ASSERT_TRUE(resume.oldLaunch && resume.newLaunch);
    EXPECT_EQ(secondsBetween(*resume.oldLaunch, *resume.newLaunch), 95);
    EXPECT_EQ(*resume.newLaunch, f.launchMoment());
}

TEST_F(HappeningsTest, AnEventPassesAndThenTheLaunchComesEachOnceAtItsSecond) {
    clockAt("2001-05-03 10:29:00");
    startAndSettle();
    frmOrvane& f = main();
    f.control<Label>("lblTarget").setCaption("May 3, 2001   10:29:40 AM");
    advance(1s);
    frmEventTimers& board = app.frmEventTimers();
    world.scheduler.deliver([&] { board.DefineEvent(2, "Arm range safety", "-", 20); });
    advance(1s);
    told.erase(told.begin(), told.end() - 1);
    ASSERT_EQ(kinds(), (std::vector<std::string>{"event defined"}));
    ASSERT_TRUE(told[0].event);
    EXPECT_EQ(told[0].event->number, 3);
    EXPECT_EQ(told[0].event->signedOffset, -20);
    told.clear();

    advance(60s);
    ASSERT_EQ(kinds(), (std::vector<std::string>{"event passed", "liftoff"}));
    const Happening& passed = told[0];
    ASSERT_TRUE(passed.event);
    EXPECT_EQ(passed.event->number, 3);
    EXPECT_EQ(passed.event->name, "Arm range safety");
    EXPECT_EQ(passed.event->signedOffset, -20);
    EXPECT_EQ(passed.at.trueMs, ms("2001-05-03 10:29:20"));
    EXPECT_EQ(passed.shown.text(), "T - 000 00:00:20");
    EXPECT_EQ(board.row(2).phase, frmEventTimers::RowPhase::CountingUp);

    const Happening& liftoff = told[1];
    EXPECT_EQ(liftoff.at.trueMs, ms("2001-05-03 10:29:40"));
    EXPECT_EQ(liftoff.shown.text(), "T + 000 00:00:00");
    EXPECT_EQ(liftoff.newLaunch, f.launchMoment());

    // Removing the event tells which one went.
    world.scheduler.deliver([&] { board.DefineEvent(2, "Event #3", "", 0); });
    ASSERT_TRUE(last(Kind::EventRemoved));
    EXPECT_EQ(last(Kind::EventRemoved)->event->name, "Arm range safety");
}

TEST_F(HappeningsTest, ANewLaunchTimePutBehindThePresentIsNoLiftoff) {
    clockAt("2001-05-03 10:20:00");
    startAndSettle();
    main().control<Label>("lblTarget").setCaption("May 3, 2001   10:30:00 AM");
    advance(1s);
    main().control<Label>("lblTarget").setCaption("May 3, 2001   10:00:00 AM");
    advance(2s);
    EXPECT_FALSE(last(Kind::Liftoff));
    EXPECT_EQ(main().shownCount().text(), "T + 000 00:20:06");
}

TEST_F(HappeningsTest, StartSaveRevertAndExitAreToldWithTheFile) {
    clockAt("2001-05-03 10:20:00");
    startAndSettle();
    menu(main().control<MenuItem>("mnuSave"));
    menu(main().control<MenuItem>("mnuRevert"));
    answer(Answer::No);
    key(main(), 27);
    ASSERT_TRUE(app.ended());

    ASSERT_EQ(kinds(), (std::vector<std::string>{"program start", "file saved", "file read",
                                                 "program exit"}));
    EXPECT_EQ(told[1].path, folder + "/launch.ovx");
    EXPECT_EQ(told[2].path, folder + "/launch.ovx");
}

TEST_F(HappeningsTest, ASimulatedTimeOnTheProgramsOwnClockIsToldWithBothClocks) {
    clockAt("2001-05-03 10:20:00");
    app.services().info.ownClock = true;
    startAndSettle();
    main().control<Label>("lblTarget").setCaption("May 3, 2001   11:00:00 AM");
    advance(1s);
    told.clear();

    menu(main().control<MenuItem>("mnuTminus10"));
    ASSERT_TRUE(last(Kind::SimTimeSet));
    const Happening set = *last(Kind::SimTimeSet);
    EXPECT_EQ(set.oldClockMs, ms("2001-05-03 10:20:04"));
    EXPECT_EQ(set.newClockMs, ms("2001-05-03 10:50:00"));
    EXPECT_EQ(set.at.trueMs, ms("2001-05-03 10:20:04"));
    EXPECT_EQ(set.at.programMs, ms("2001-05-03 10:50:00"));

    advance(5s);
    menu(main().control<MenuItem>("mnuRestoreTime"));
    ASSERT_TRUE(last(Kind::SimTimeRestored));
    const Happening restored = *last(Kind::SimTimeRestored);
    EXPECT_EQ(restored.oldClockMs, ms("2001-05-03 10:50:05"));
    EXPECT_EQ(restored.newClockMs, ms("2001-05-03 10:20:09"));
    EXPECT_FALSE(restored.at.programMs);
}

TEST_F(HappeningsTest, AListenerGoneIsToldNothingAndOthersStillAre) {
    std::vector<Kind> second;
    Subscription other = app.happenings().subscribe([&](const Happening& h) {
        second.push_back(h.kind);
    });
    int rounds = 0;
    Subscription tick = app.happenings().subscribeRounds([&] { ++rounds; });
    clockAt("2001-05-03 10:20:00");
    startAndSettle();
    EXPECT_GE(rounds, 3) << "a round follows each turn of the second";
    other.reset();
    tick.reset();
    const int roundsBefore = rounds;
    ASSERT_TRUE(click(main().control<MenuItem>("mnuHoldEnable")));
    ASSERT_TRUE(click(main().control<CommandButton>("cmdHoldResume")));
    advance(2s);
    EXPECT_EQ(rounds, roundsBefore);
    EXPECT_EQ(second, std::vector<Kind>{Kind::ProgramStart});
    EXPECT_TRUE(last(Kind::Hold));
}

Happening of(Kind kind) {
    Happening h;
    h.kind = kind;
    return h;
}

// Guards against a happening raised by a listener being told at once, inside the one being
// told: the listeners after it heard the two in the opposite order, and a listener was
// re-entered while it was still handling the first.
TEST(HappeningsStream, AHappeningRaisedWhileAnotherIsToldWaitsItsTurn) {
    Happenings stream;
    std::vector<std::pair<int, Kind>> heard;
    int depth = 0;
    int deepest = 0;
    const auto listener = [&](int who) {
        return [&, who](const Happening& h) {
            deepest = std::max(deepest, ++depth);
            heard.emplace_back(who, h.kind);
            // The first listener answers a hold with a resume, and that with a launch time.
            if (who == 1 && h.kind == Kind::Hold)
                stream.raise(of(Kind::Resume));
            if (who == 2 && h.kind == Kind::Resume)
                stream.raise(of(Kind::LaunchTimeSet));
            --depth;
        };
    };
    Subscription one = stream.subscribe(listener(1));
    Subscription two = stream.subscribe(listener(2));
    stream.raise(of(Kind::Hold));
    const std::vector<std::pair<int, Kind>> expected{
        {1, Kind::Hold},   {2, Kind::Hold},          {1, Kind::Resume},
        {2, Kind::Resume}, {1, Kind::LaunchTimeSet}, {2, Kind::LaunchTimeSet}};
    EXPECT_EQ(heard, expected);
    EXPECT_EQ(deepest, 1) << "no listener is told while it is being told";

    // The stream is ready for the next happening once the queue has run dry.
    heard.clear();
    stream.raise(of(Kind::Liftoff));
    EXPECT_EQ(heard.size(), 2u);
}

// Guards against a listener's exception leaving the stream believing it is still telling, so
// that every later happening waited forever.
TEST(HappeningsStream, AListenerThatThrowsLeavesTheStreamWorking) {
    Happenings stream;
    std::vector<Kind> heard;
    Subscription s = stream.subscribe([&](const Happening& h) {
        heard.push_back(h.kind);
        if (h.kind == Kind::Hold) {
            stream.raise(of(Kind::Resume));
            throw std::runtime_error("listener failed");
        }
    });
    EXPECT_THROW(stream.raise(of(Kind::Hold)), std::runtime_error);
    stream.raise(of(Kind::Liftoff));
    EXPECT_EQ(heard, (std::vector<Kind>{Kind::Hold, Kind::Liftoff}));
}

TEST(ShownCount, ReadsAsTheMainWindowShowsIt) {
    EXPECT_EQ(ShownCount::fromSecondsToLaunch(540).text(), "T - 000 00:09:00");
    EXPECT_EQ(ShownCount::fromSecondsToLaunch(0).text(), "T + 000 00:00:00");
    EXPECT_EQ(ShownCount::fromSecondsToLaunch(-(86400 * 3 + 3661)).text(), "T + 003 01:01:01");
    for (std::int64_t s : {1, 0, -1, 86399, -86400, 400 * 86400})
        EXPECT_EQ(ShownCount::fromSecondsToLaunch(s).secondsToLaunch(), s);
}

} // namespace
} // namespace orvane::test
