#include "events/board_fixture.h"
#include "remote/remote_state.h"
#include "services/json.h"

namespace orvane::test {
namespace {

// The state the remote displays are sent, read as the server reads it, at the fake clock's
// present millisecond.
class RemoteStateTest : public BoardTest {
  protected:
    void SetUp() override {
        clockAt("2001-05-03 10:14:57");
        startAndSettle();
        sent = read();
    }

    RemoteState read() {
        return readRemoteState(app, world.clock.instant().unixSeconds() * 1000 +
                                        world.clock.msIntoSecond());
    }
    // A local time of the test's clock as Unix milliseconds.
    std::int64_t ms(std::string_view text) {
        return world.clock.zone().toInstant(at(text)).unixSeconds() * 1000;
    }
    // Whether a page holding the state sent last would now need a new one; if so, it is sent.
    bool sendsAgain() {
        const RemoteState now = read();
        const bool changed = remoteStateChanged(sent, now);
        if (changed)
            sent = now;
        return changed;
    }
    static std::string count(const RemoteState& s) {
        return std::string(1, s.count.sign) + " " + std::to_string(s.count.days) + " " +
               std::to_string(s.count.hours) + ":" + std::to_string(s.count.minutes) + ":" +
               std::to_string(s.count.seconds);
    }
    void hold() {
        ASSERT_TRUE(click(main().control<MenuItem>("mnuHoldEnable")));
        ASSERT_TRUE(click(main().control<CommandButton>("cmdHoldResume")));
    }

    RemoteState sent;
};

TEST_F(RemoteStateTest, TheCountGoesOutOnlyWhenAHoldStartsOrEnds_NotAsTimePasses) {
    EXPECT_EQ(count(sent), "- 0 0:15:0");
    EXPECT_FALSE(sent.holding);
    EXPECT_EQ(sent.launchTimeMs, ms("2001-05-03 10:30:00"));
    advance(5s);
    EXPECT_EQ(count(read()), "- 0 0:14:55");
    EXPECT_FALSE(sendsAgain()) << "the pages count the seconds themselves";

    hold();
    EXPECT_TRUE(sendsAgain());
    EXPECT_TRUE(sent.holding);
    EXPECT_EQ(count(sent), "- 0 0:14:55");
    // During the hold the launch time moves with the clock while the count stands: nothing
    // a page could not tell.
    for (int i = 0; i < 125; ++i) {
        advance(1s);
        ASSERT_FALSE(sendsAgain()) << "after " << i + 1 << " s of hold";
    }
    EXPECT_EQ(read().launchTimeMs, ms("2001-05-03 10:32:05"));

    ASSERT_TRUE(click(main().control<CommandButton>("cmdHoldResume")));
    EXPECT_TRUE(sendsAgain());
    EXPECT_FALSE(sent.holding);
    EXPECT_EQ(sent.launchTimeMs, ms("2001-05-03 10:32:05"));
    advance(3s);
    EXPECT_FALSE(sendsAgain());
    EXPECT_EQ(count(read()), "- 0 0:14:52");
}

// The plan's state is a new field: sent with a plan only, read back whole, and sent again
// only when a built-in hold begins or ends, never each second of one kept to its plan.
TEST_F(RemoteStateTest, ThePlanGoesOutWithLiftoffAndTheBuiltInHold_AsANewFieldOnly) {
    EXPECT_EQ(remoteStateJson(sent).find("plan"), std::string::npos);
    ASSERT_FALSE(app.launchState().plan().add({14 * 60 + 57, 60, "Poll \"go\"", false}));
    EXPECT_TRUE(sendsAgain());
    ASSERT_TRUE(sent.plan);
    EXPECT_EQ(sent.plan->liftoffMs, ms("2001-05-03 10:31:00"));
    EXPECT_EQ(sent.plan->lCount, "L - 000 00:16:00");
    advance(3s);
    EXPECT_TRUE(sendsAgain());
    EXPECT_TRUE(sent.holding);
    EXPECT_EQ(sent.plan->holdLabel, "Poll \"go\"");
    EXPECT_EQ(sent.plan->holdLeftSeconds, 60);
    for (int i = 1; i < 60; ++i) {
        advance(1s);
        ASSERT_FALSE(sendsAgain()) << "after " << i << " s of the built-in hold";
        ASSERT_EQ(count(read()), "- 0 0:14:57");
        ASSERT_EQ(read().plan->liftoffMs, ms("2001-05-03 10:31:00"));
    }
    EXPECT_EQ(read().plan->lCount, "L - 000 00:14:58");

    std::string error;
    const auto json = JsonValue::parse(remoteStateJson(read()), error);
    ASSERT_TRUE(json) << error;
    const auto back = remoteStateFromJson(*json, error);
    ASSERT_TRUE(back) << error;
    EXPECT_EQ(back->plan, read().plan);

    advance(1s);
    EXPECT_TRUE(sendsAgain());
    EXPECT_FALSE(sent.holding);
    EXPECT_FALSE(sent.plan->holdLabel);
}

// Regression: a built-in hold extended while it stands moved liftoff, and the pages, which
// hear nothing during a hold kept to its plan, went on showing the old one.
TEST_F(RemoteStateTest, ABuiltInHoldExtendedWhileItStandsIsToldAtOnce) {
    ASSERT_FALSE(app.launchState().plan().add({14 * 60 + 57, 60, "Poll", false}));
    EXPECT_TRUE(sendsAgain());
    advance(3s);
    EXPECT_TRUE(sendsAgain());
    ASSERT_TRUE(click(main().control<MenuItem>("mnuExtendHold")));
    Form& extend = *app.form("frmExtendHold");
    extend.control<TextBox>("txtBy").setText("0:02:00");
    ASSERT_TRUE(click(extend.control<CommandButton>("cmdExtend")));
    EXPECT_TRUE(sendsAgain());
    EXPECT_EQ(sent.plan->liftoffMs, ms("2001-05-03 10:33:00"));
    EXPECT_EQ(sent.plan->holdLeftSeconds, 180);
    advance(1s);
    EXPECT_FALSE(sendsAgain());
}

TEST_F(RemoteStateTest, ANewLaunchTimeGoesOut_WhetherCountingOrHeld) {
    main().control<Label>("lblTarget").setCaption("May 3, 2001   11:00:00 AM");
    advance(1s);
    EXPECT_TRUE(sendsAgain());
    EXPECT_EQ(sent.launchTimeMs, ms("2001-05-03 11:00:00"));

    hold();
    EXPECT_TRUE(sendsAgain());
    frmOrvane& f = main();
    ASSERT_TRUE(click(f.control<CommandButton>("cmdAccess")));
    type(f.control<TextBox>("txtLaunchDate"), "May 3, 2001");
    type(f.control<TextBox>("txtHours"), "11");
    type(f.control<TextBox>("txtMinutes"), "30");
    type(f.control<TextBox>("txtSeconds"), "00");
    answer(Answer::Yes);
    ASSERT_TRUE(click(f.control<CommandButton>("cmdSet")));
    advance(1s);
    // The held count stands on the main window until the resume; the new launch time shows
    // at once.
    EXPECT_TRUE(sendsAgain());
    EXPECT_EQ(count(sent), "- 0 0:44:59");
    EXPECT_EQ(sent.launchTimeMs, ms("2001-05-03 11:30:01"));
    advance(5s);
    EXPECT_FALSE(sendsAgain());
    ASSERT_TRUE(click(f.control<CommandButton>("cmdHoldResume")));
    EXPECT_TRUE(sendsAgain());
    EXPECT_EQ(count(sent), "- 0 1:14:59");
}

TEST_F(RemoteStateTest, EventsGoOutWhenDefinedPassedOrRemoved_WithTheMomentTheRowCountsFrom) {
    defineEvent(2, "-", 600);
    board().control<Label>("lblName", 2).setCaption("Fuel Load");
    defineEvent(5, "+", 3600);
    showBoard();
    advance(1s);
    ASSERT_TRUE(sendsAgain());
    ASSERT_EQ(sent.events.size(), 2u) << "unassigned events are left out";
    const RemoteEvent& e = sent.events[0];
    EXPECT_EQ(e.number, 3);
    EXPECT_EQ(e.name, "Fuel Load");
    EXPECT_EQ(e.sign, '-');
    EXPECT_EQ(e.offsetSeconds, 600);
    EXPECT_EQ(e.momentMs, ms("2001-05-03 10:20:00"));
    EXPECT_EQ(e.text, board().control<Label>("lblTime", 2).caption());
    EXPECT_EQ(sent.events[1].momentMs, ms("2001-05-03 11:30:00"));

    // A hold moves the events still ahead with the launch time, which the pages follow.
    hold();
    EXPECT_TRUE(sendsAgain());
    advance(30s);
    EXPECT_FALSE(sendsAgain());
    ASSERT_TRUE(click(main().control<CommandButton>("cmdHoldResume")));
    EXPECT_TRUE(sendsAgain());
    EXPECT_EQ(sent.events[0].momentMs, ms("2001-05-03 10:20:30"));

    // The moment passes: the row counts up from the moment it captured, which stays put when
    // the launch time then moves earlier.
    advance(298s);
    EXPECT_FALSE(sendsAgain());
    advance(2s);
    EXPECT_TRUE(sendsAgain());
    EXPECT_EQ(sent.events[0].momentMs, ms("2001-05-03 10:20:30"));
    main().control<Label>("lblTarget").setCaption("May 3, 2001   10:30:20 AM");
    advance(1s);
    EXPECT_TRUE(sendsAgain());
    EXPECT_EQ(sent.events[0].momentMs, ms("2001-05-03 10:20:30"));
    advance(10s);
    EXPECT_FALSE(sendsAgain());

    board().control<PictureBox>("pctEvent", 2).setTag("");
    advance(1s);
    EXPECT_TRUE(sendsAgain());
    ASSERT_EQ(sent.events.size(), 1u);
    EXPECT_EQ(sent.events[0].number, 6);
}

TEST_F(RemoteStateTest, FromLiftoffTheCountGoesOutCountingUp) {
    advance(899s);
    EXPECT_EQ(count(read()), "- 0 0:0:1");
    advance(1s);
    EXPECT_EQ(count(read()), "+ 0 0:0:0");
    advance(61s);
    EXPECT_EQ(count(read()), "+ 0 0:1:1");
}

// A row counting up counts from the moment it captured only while that moment stays behind:
// a launch moved an hour later, as a launch data file read moves it, puts the event ahead
// again, and the state the screens are sent at that very change says so.
TEST_F(RemoteStateTest, ALaterLaunchPutsAPassedEventAheadAgain_AtOnce) {
    defineEvent(2, "-", 600);
    showBoard();
    advance(600s);
    ASSERT_TRUE(sendsAgain());
    ASSERT_EQ(sent.events.size(), 1u);
    EXPECT_EQ(sent.events[0].momentMs, ms("2001-05-03 10:20:00"));
    EXPECT_EQ(board().control<Label>("lblTime", 2).caption(), "+ 0/   00:05:00");

    main().control<Label>("lblTarget").setCaption("May 3, 2001   11:30:00 AM");
    const RemoteState moved = read();
    ASSERT_EQ(moved.events.size(), 1u);
    EXPECT_EQ(moved.events[0].momentMs, ms("2001-05-03 11:20:00"));
    advance(1s);
    EXPECT_EQ(board().control<Label>("lblTime", 2).caption(), "- 0/   00:54:59");
    EXPECT_EQ(read().events[0].momentMs, ms("2001-05-03 11:20:00"));
}

TEST_F(RemoteStateTest, TheLaunchWindowGoesOutWhenSetActivatedAndAsAHoldConsumesIt) {
    frmOrvane& f = main();
    ASSERT_TRUE(click(f.control<CommandButton>("cmdAccess")));
    type(f.control<ScrollBar>("vsbMinutesW"), "2");
    answer(Answer::Yes);
    ASSERT_TRUE(click(f.control<CommandButton>("cmdSetWindow")));
    EXPECT_TRUE(sendsAgain());
    EXPECT_FALSE(sent.windowActive);
    ASSERT_TRUE(click(f.control<CheckBox>("chkLaunchWindowActive")));
    EXPECT_TRUE(sendsAgain());
    EXPECT_TRUE(sent.windowActive);
    EXPECT_EQ(sent.windowText, "0:02:00");
    hold();
    advance(1s);
    EXPECT_TRUE(sendsAgain());
    EXPECT_EQ(sent.windowText, "00:01:59");
}

TEST_F(RemoteStateTest, ThePagesFollowTheProgramsOwnClock_WhenItKeepsASimulatedTime) {
    const std::int64_t computer = read().serverTimeMs;
    app.ownClock().setOffset(-600'000);
    EXPECT_EQ(read().serverTimeMs, computer - 600'000);
    app.ownClock().setOffset(std::nullopt);
    EXPECT_EQ(read().serverTimeMs, computer);
}

TEST(RemoteServeAddress, ReadsAPortWithOrWithoutAnAddress_AndRefusesTheRest) {
    struct Row {
        const char* text;
        const char* address; // null when refused
        int port;
    };
    const Row rows[] = {
        {"8080", "127.0.0.1", 8080}, {"0", "127.0.0.1", 0},      {"0.0.0.0:80", "0.0.0.0", 80},
        {"[::1]:9000", "::1", 9000}, {"", nullptr, 0},           {"http", nullptr, 0},
        {"65536", nullptr, 0},       {"-1", nullptr, 0},         {"::1:80", nullptr, 0},
        {":80", nullptr, 0},         {"127.0.0.1:", nullptr, 0}, {"127.0.0.1:80x", nullptr, 0},
    };
    for (const Row& r : rows) {
        std::string error;
        const auto where = parseServeAddress(r.text, error);
        if (!r.address) {
            EXPECT_FALSE(where) << r.text;
            EXPECT_FALSE(error.empty()) << r.text;
            continue;
        }
        ASSERT_TRUE(where) << r.text << ": " << error;
        EXPECT_EQ(where->address, r.address);
        EXPECT_EQ(where->port, r.port);
    }
    EXPECT_EQ(pageAddress("::1", 9000), "http://[::1]:9000/");
    EXPECT_EQ(pageAddress("127.0.0.1", 8080), "http://127.0.0.1:8080/");
}

} // namespace
} // namespace orvane::test
