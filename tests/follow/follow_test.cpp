// Followers show their leader's count: through holds and resumes, a new launch time, events,
// a simulated time, a broker that goes away and a leader that falls silent.

#include "clock/frmPresent.h"
#include "colors.h"
#include "follow/follow_fixture.h"
#include "follow/leader_message.h"

#include <initializer_list>

namespace orvane::test {
namespace {

TEST_F(FollowTest, FollowersCountWithTheLeaderThroughAHoldAndAResume) {
    startAll();
    expectAgreement("at the start");
    EXPECT_EQ(leader->count(), "T - 000 00:15:00");
    agreeFor(5, "counting");

    ASSERT_TRUE(leader->click(leader->main().control<MenuItem>("mnuHoldEnable")));
    ASSERT_TRUE(leader->click(leader->main().control<CommandButton>("cmdHoldResume")));
    broker.flush();
    for (auto& f : followers)
        EXPECT_TRUE(f->main().held()) << "the follower holds with its leader";
    agreeFor(125, "held");
    EXPECT_EQ(followers[0]->count(), "T - 000 00:14:55");

    ASSERT_TRUE(leader->click(leader->main().control<CommandButton>("cmdHoldResume")));
    broker.flush();
    for (auto& f : followers) {
        EXPECT_FALSE(f->main().held());
        EXPECT_EQ(f->main().launchMoment(), leader->main().launchMoment());
    }
    agreeFor(10, "resumed");
    EXPECT_EQ(followers[1]->count(), "T - 000 00:14:45");
}

TEST_F(FollowTest, ANewLaunchTimeTheWindowAndEventsReachEveryFollower) {
    startAll();
    frmOrvane& main = leader->main();
    ASSERT_TRUE(leader->click(main.control<CommandButton>("cmdAccess")));
    leader->world.scheduler.deliver([&] {
        EXPECT_TRUE(main.control<TextBox>("txtHours").userSet("10").ok);
        EXPECT_TRUE(main.control<TextBox>("txtMinutes").userSet("20").ok);
        EXPECT_TRUE(main.control<TextBox>("txtSeconds").userSet("00").ok);
    });
    leader->world.dialogs.queueAnswer(Answer::Yes);
    ASSERT_TRUE(leader->click(main.control<CommandButton>("cmdSet")));
    broker.flush();
    EXPECT_EQ(leader->count(), "T - 000 00:05:00");
    expectAgreement("after the new launch time");
    for (auto& f : followers) {
        EXPECT_EQ(f->main().launchMoment(), main.launchMoment());
        EXPECT_EQ(f->main().control<TextBox>("txtLaunchDate").text(), "May 3, 2001")
            << "the greyed entry shows it";
        EXPECT_EQ(f->main().control<TextBox>("txtMinutes").text(), "20");
    }

    leader->world.scheduler.deliver([&] {
        leader->board().DefineEvent(2, "Engine chill", "-", 240);
        leader->board().DefineEvent(5, "Booster sep", "+", 120);
    });
    broker.flush();
    for (auto& f : followers) {
        const frmEventTimers::Row chill = f->board().row(2);
        EXPECT_TRUE(chill.defined);
        EXPECT_EQ(chill.name, "Engine chill");
        EXPECT_EQ(chill.signedOffset(), -240);
        EXPECT_EQ(f->board().row(5).signedOffset(), 120);
        EXPECT_FALSE(f->board().row(0).defined);
    }
    expectBoardsAgree("with two events");
    EXPECT_TRUE(leader->app.board().row(0).visible) << "the leader shows its other rows too";
    // The event at T - 4 minutes passes on every board at the same second.
    agreeFor(70, "the event passing");
    for (auto& f : followers)
        EXPECT_EQ(f->board().row(2).text, leader->board().row(2).text);

    leader->world.scheduler.deliver([&] { leader->board().DefineEvent(5, "Booster sep", "", 0); });
    broker.flush();
    for (auto& f : followers)
        EXPECT_FALSE(f->board().row(5).defined) << "a removed event goes from the followers";
    expectBoardsAgree("after the removal");
}

TEST_F(FollowTest, ASimulatedTimeOnTheLeaderRunsTheFollowersClocksWithIt) {
    startAll();
    // The follower tells its own listeners of the jump, from the clock before to the clock after.
    std::vector<Happening> told;
    Subscription heard = followers[0]->app.happenings().subscribe([&](const Happening& h) {
        if (h.kind == Happening::Kind::SimTimeSet)
            told.push_back(h);
    });
    const std::int64_t before = followers[0]->app.ownClock().instant().unixSeconds() * 1000;
    leader->world.scheduler.deliver(
        [&] { leader->app.ApplySimOffset(std::chrono::seconds(-120)); });
    broker.flush();
    EXPECT_EQ(leader->count(), "T - 000 00:02:00");
    for (auto& f : followers)
        EXPECT_EQ(f->app.ownClock().offset(), leader->app.ownClock().offset());
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].oldClockMs, before);
    EXPECT_EQ(told[0].newClockMs, followers[0]->app.ownClock().instant().unixSeconds() * 1000);
    agreeFor(20, "in simulated time");
    leader->world.scheduler.deliver([&] { leader->app.RestoreSystemTime(); });
    broker.flush();
    for (auto& f : followers)
        EXPECT_FALSE(f->app.ownClock().offset().has_value());
    agreeFor(3, "back in true time");
}

// Regression: a leader whose simulated time moved the computer's clock sent that clock as
// its true time, and its followers went on showing the true time's count.
TEST_F(FollowTest, ASimulatedTimeOnTheLeadersComputerClockReachesTheFollowersToo) {
    leader = std::make_unique<Site>(broker, false, false);
    startAll();
    leader->world.dialogs.queueAnswer(Answer::Yes);
    leader->world.scheduler.deliver([&] { leader->app.ApplySimOffset(std::chrono::seconds(-60)); });
    broker.flush();
    EXPECT_FALSE(leader->app.ownClock().offset().has_value()) << "the computer's clock moved";
    EXPECT_EQ(leader->count(), "T - 000 00:01:00");
    for (auto& f : followers)
        EXPECT_EQ(f->app.ownClock().offset(), 14 * 60 * 1000)
            << "the leader's clock runs 14 min ahead";
    agreeFor(5, "in simulated time on the computer's clock");
}

TEST_F(FollowTest, TheStateGoesOutOnEveryChange_OnceAMinute_AndAfterEveryReconnection) {
    startAll();
    const auto states = [&] { return publisher->sequence(); };
    const std::int64_t first = states();
    EXPECT_EQ(first, 1);
    advance(59s);
    EXPECT_EQ(states(), first) << "the passing seconds alone are no change";
    advance(2s);
    EXPECT_EQ(states(), first + 1) << "a minute without a change";
    ASSERT_TRUE(leader->click(leader->main().control<MenuItem>("mnuHoldEnable")));
    ASSERT_TRUE(leader->click(leader->main().control<CommandButton>("cmdHoldResume")));
    EXPECT_EQ(states(), first + 2) << "the hold at once";
    health.health = {ClockHealth::Sync::Synchronised, 12};
    advance(1s);
    EXPECT_EQ(states(), first + 3) << "the clock's health";

    broker.setRunning(false);
    broker.flush();
    broker.setRunning(true);
    broker.flush();
    EXPECT_EQ(states(), first + 4) << "after the reconnection";
    std::string error;
    const auto kept = parseLeaderMessage(broker.retained().at("orvane"), error);
    ASSERT_TRUE(kept) << error;
    EXPECT_EQ(kept->sequence, first + 4);
    EXPECT_TRUE(kept->state.holding);
    EXPECT_EQ(kept->clockHealth.maxErrorMs, 12);

    // Each happening on its own topic, in order, never kept.
    std::vector<std::string> kinds;
    for (const MqttMessage& m : broker.published())
        if (m.topic == "orvane/happenings") {
            EXPECT_FALSE(m.retained);
            kinds.push_back(m.payload.substr(0, m.payload.find(',')));
        }
    ASSERT_FALSE(kinds.empty());
    EXPECT_EQ(kinds.back(), "{\"kind\":\"hold\"");
}

TEST_F(FollowTest, ALostBrokerWarnsAtOnce_ASilentLeaderAfter75Seconds_AndBothCatchUp) {
    startAll();
    Follower& f = *following[0];
    Site& site = *followers[0];
    const StatusPanel& panel =
        *site.main().control<StatusBar>("sbrStatusBar").panel("pnlCurrentFile");
    EXPECT_EQ(panel.text(), "Following broker:1883/orvane");
    EXPECT_FALSE(f.statusWarns());

    advance(2s);
    broker.setRunning(false);
    broker.flush();
    EXPECT_EQ(panel.text(), "Leader not heard since 10:15:00") << "at once";
    EXPECT_EQ(panel.backColor(), Amber);
    // Meanwhile the followers count on, and the leader's hold waits for the broker.
    ASSERT_TRUE(leader->click(leader->main().control<MenuItem>("mnuHoldEnable")));
    ASSERT_TRUE(leader->click(leader->main().control<CommandButton>("cmdHoldResume")));
    for (int i = 0; i < 3; ++i) {
        const std::int64_t before = site.main().shownCount().secondsToLaunch();
        advance(1s);
        EXPECT_EQ(site.main().shownCount().secondsToLaunch(), before - 1);
    }
    EXPECT_FALSE(site.main().held());
    advance(7s);
    broker.setRunning(true);
    advance(1s);
    EXPECT_EQ(panel.text(), "Following broker:1883/orvane");
    EXPECT_TRUE(site.main().held()) << "caught up";
    expectAgreement("caught up");

    // The leader is gone, the broker is not: 75 s of quiet before the warning.
    publisher->stop();
    advance(70s);
    EXPECT_FALSE(f.leaderSilent());
    advance(10s);
    EXPECT_TRUE(f.leaderSilent());
    EXPECT_EQ(panel.text().rfind("Leader not heard since ", 0), 0u) << panel.text();
    // Its last word kept by the broker is no sign of life.
    broker.setRunning(false);
    broker.setRunning(true);
    advance(1s);
    EXPECT_TRUE(f.leaderSilent());
    publisher->start(where, server);
    advance(1s);
    EXPECT_FALSE(f.leaderSilent());
    expectAgreement("a new run of the leader");
}

TEST_F(FollowTest, AFollowerWhoseClockIsTwoSecondsOffIsWarned_OneWithinHalfASecondIsNot) {
    clockOffsetsMs = {0, -2000, 300};
    startAll();
    // A fresh message compares the clocks; the one the broker kept at joining does not.
    advance(61s);
    const auto& behind = following[0]->leaderClock();
    ASSERT_TRUE(behind);
    EXPECT_TRUE(behind->warns());
    EXPECT_NEAR(double(behind->estimateMs()), -2000.0, 5.0);
    EXPECT_EQ(
        followers[0]->main().control<StatusBar>("sbrStatusBar").panel("pnlCurrentFile")->text(),
        "Following broker:1883/orvane, clock 2.0 s behind the leader's");
    EXPECT_TRUE(following[0]->statusWarns());
    ASSERT_TRUE(following[1]->leaderClock());
    EXPECT_FALSE(following[1]->leaderClock()->warns());
    EXPECT_FALSE(following[1]->statusWarns());
}

TEST_F(FollowTest, AFollowerCannotChangeTheCount_KeepsNoFile_AndLeavesWithoutAQuestion) {
    startAll();
    Site& site = *followers[0];
    frmOrvane& main = site.main();
    EXPECT_TRUE(main.following());
    for (Control* c : std::initializer_list<Control*>{
             &main.control<CommandButton>("cmdHoldResume"), &main.control<CommandButton>("cmdSet"),
             &main.control<CommandButton>("cmdSetWindow"),
             &main.control<CheckBox>("chkLaunchWindowActive"), &main.control<TextBox>("txtHours"),
             &main.control<MenuItem>("mnuOpen"), &main.control<MenuItem>("mnuSave"),
             &main.control<MenuItem>("mnuSaveAs"), &main.control<MenuItem>("mnuRevert"),
             &main.control<MenuItem>("mnuHoldEnable"), &main.control<MenuItem>("mnuSetLaunchTime"),
             &main.control<MenuItem>("mnuManualSet"),
             &site.board().control<CommandButton>("cmdAdd"),
             &site.board().control<CommandButton>("cmdRemove"),
             &site.board().control<MenuItem>("mnuEditRemoveAll")})
        EXPECT_FALSE(c->acceptsInput()) << c->displayName();
    // Holding and resuming on the leader enables nothing on the follower.
    ASSERT_TRUE(leader->click(leader->main().control<MenuItem>("mnuHoldEnable")));
    ASSERT_TRUE(leader->click(leader->main().control<CommandButton>("cmdHoldResume")));
    advance(2s);
    ASSERT_TRUE(leader->click(leader->main().control<CommandButton>("cmdHoldResume")));
    advance(2s);
    EXPECT_FALSE(main.control<CommandButton>("cmdHoldResume").acceptsInput());
    EXPECT_FALSE(main.control<MenuItem>("mnuHoldEnable").acceptsInput());

    site.world.scheduler.deliver([&] { main.ConfirmExit(); });
    EXPECT_TRUE(site.world.dialogs.shown().empty()) << "no question about saving a file";
    EXPECT_TRUE(site.app.ended());
}

// The window reaches the followers as seconds beside its text; a text that is no time and
// comes without seconds (no leader of ours sends one) changes nothing.
TEST_F(FollowTest, TheLaunchWindowReachesTheFollowersInSeconds) {
    startAll();
    frmOrvane& main = leader->main();
    ASSERT_TRUE(leader->click(main.control<CommandButton>("cmdAccess")));
    leader->world.scheduler.deliver(
        [&] { EXPECT_TRUE(main.control<TextBox>("txtMinutesW").userSet("05").ok); });
    leader->world.dialogs.queueAnswer(Answer::Yes);
    ASSERT_TRUE(leader->click(main.control<CommandButton>("cmdSetWindow")));
    ASSERT_TRUE(leader->click(main.control<CheckBox>("chkLaunchWindowActive")));
    broker.flush();
    for (auto& f : followers) {
        const frmOrvane::LaunchWindowState w = f->main().launchWindow();
        EXPECT_TRUE(w.active);
        EXPECT_EQ(w.text, "0:05:00");
        EXPECT_EQ(w.leftSeconds, 300);
        EXPECT_EQ(w.budgetSeconds, 300);
    }

    frmOrvane& follower = followers[0]->main();
    frmOrvane::Followed odd{follower.launchMoment(), false, true, "soon", std::nullopt};
    followers[0]->world.scheduler.deliver([&] { follower.FollowLeader(odd); });
    EXPECT_EQ(follower.launchWindow().text, "0:05:00");
    EXPECT_EQ(follower.launchWindow().leftSeconds, 300);
}

// The program's lock after an expired window is the leader's own: its followers show the
// expiry and go on following, with no box to end them.
TEST_F(FollowTest, TheLeadersExpiredWindowShowsOnTheFollowersWithoutLockingThem) {
    startAll();
    frmOrvane& main = leader->main();
    ASSERT_TRUE(leader->click(main.control<CommandButton>("cmdAccess")));
    leader->world.scheduler.deliver(
        [&] { EXPECT_TRUE(main.control<TextBox>("txtSecondsW").userSet("03").ok); });
    leader->world.dialogs.queueAnswer(Answer::Yes);
    ASSERT_TRUE(leader->click(main.control<CommandButton>("cmdSetWindow")));
    ASSERT_TRUE(leader->click(main.control<CheckBox>("chkLaunchWindowActive")));
    ASSERT_TRUE(leader->click(main.control<MenuItem>("mnuHoldEnable")));
    ASSERT_TRUE(leader->click(main.control<CommandButton>("cmdHoldResume")));
    leader->world.dialogs.queueAnswer(Answer::OK);
    advance(6s);
    ASSERT_TRUE(main.launchWindow().expired);
    ASSERT_NE(leader->world.dialogs.shown().back().text.find("expired"), std::string::npos)
        << "the leader's own box";
    const Label& leaders = main.control<Label>("lblLaunchWindow");
    for (auto& f : followers) {
        EXPECT_TRUE(f->world.dialogs.shown().empty()) << f->world.dialogs.shown()[0].text;
        const Label& shown = f->main().control<Label>("lblLaunchWindow");
        EXPECT_EQ(shown.caption(), leaders.caption());
        EXPECT_EQ(shown.foreColor(), leaders.foreColor());
        EXPECT_EQ(shown.backColor(), leaders.backColor());
    }
    agreeFor(3, "after the window expired");
}

// The leader's clock can be as far from the follower's as the message took at most: both
// publishes' round trips to the broker, taken together.
TEST_F(FollowTest, TheLeadersClockIsPlacedWithinBothRoundTripsToTheBroker) {
    leader->link.setRoundTripMs(400);
    followers[0]->link.setRoundTripMs(200);
    clockOffsetsMs = {0, -2000, 0};
    startAll();
    advance(61s);
    const auto& clock = following[0]->leaderClock();
    ASSERT_TRUE(clock);
    EXPECT_EQ(clock->highMs - clock->lowMs, 600);
    // The status bar's tip gives the estimate and how far either side of it the truth may be.
    const std::string tip = followers[0]
                                ->main()
                                .control<StatusBar>("sbrStatusBar")
                                .panel("pnlCurrentFile")
                                ->toolTipText();
    EXPECT_NE(tip.find("(+-0.3 s)"), std::string::npos) << tip;
}

// A held count days from launch reaches the followers whole: days, hours, minutes and seconds.
TEST_F(FollowTest, AHoldDaysBeforeLaunchIsFollowedToTheSecond) {
    startAll("2001-05-01 07:14:57");
    ASSERT_TRUE(leader->click(leader->main().control<MenuItem>("mnuHoldEnable")));
    ASSERT_TRUE(leader->click(leader->main().control<CommandButton>("cmdHoldResume")));
    broker.flush();
    for (auto& f : followers) {
        EXPECT_TRUE(f->main().held());
        EXPECT_EQ(f->count(), leader->count());
        EXPECT_EQ(f->main().launchMoment(), leader->main().launchMoment());
    }
    EXPECT_EQ(leader->count(), "T - 002 03:15:00");
}

// Another program on the leader's computer that publishes on the leader's topic.
struct Publisher {
    Publisher(FakeBroker& broker, const MqttServer& server, Site& site)
        : link(broker, site.world.clock,
               [&site](const std::function<void()>& task) { site.world.scheduler.deliver(task); }) {
        link.start(server);
        broker.flush();
        std::string error;
        last = *parseLeaderMessage(broker.retained().at("orvane"), error);
    }
    void send(const std::string& text) { link.publish("orvane", text, false); }
    void send() { send(leaderMessageJson(last)); }
    FakeMqttLink link;
    LeaderMessage last; // the leader's last word, to forge from
};

const StatusPanel& statusOf(Site& site) {
    return *site.main().control<StatusBar>("sbrStatusBar").panel("pnlCurrentFile");
}

// However fast they come, the follower reads four messages a second, and the last one wins:
// a flood of holds and resumes costs it, and its journal, four of each a second at most.
TEST_F(FollowTest, AFloodIsReadFourTimesASecond_AndItsLastWordWins) {
    startAll();
    Publisher flood(broker, server, *leader);
    int holdsAndResumes = 0;
    Subscription heard = followers[0]->app.happenings().subscribe([&](const Happening& h) {
        holdsAndResumes += h.kind == Happening::Kind::Hold || h.kind == Happening::Kind::Resume;
    });
    for (int i = 0; i < 2000; ++i) {
        ++flood.last.sequence;
        flood.last.state.holding = i % 2 == 0;
        flood.last.state.launchTimeMs += 1000;
        flood.send();
    }
    broker.flush();
    EXPECT_EQ(holdsAndResumes, 3) << "four in a second, the first the leader's own word";
    advance(1s);
    EXPECT_EQ(holdsAndResumes, 4) << "the last word, in the first round a second later";
    EXPECT_FALSE(followers[0]->main().held());
    EXPECT_EQ(following[0]->leaderSequence(), flood.last.sequence);
    EXPECT_EQ(followers[0]->main().launchMoment().unixSeconds() * 1000,
              flood.last.state.launchTimeMs);
}

// A hold and a resume in messages the follower had no read left for in that second leave the
// state as it was; they are still recorded, each once, from the happenings every state carries.
TEST_F(FollowTest, AHoldAndAResumeInMessagesHeldBackAreEachRecordedOnce_NoneTwice) {
    startAll();
    advance(2s);
    int holds = 0, resumes = 0;
    Subscription heard = followers[0]->app.happenings().subscribe([&](const Happening& h) {
        holds += h.kind == Happening::Kind::Hold;
        resumes += h.kind == Happening::Kind::Resume;
    });
    frmOrvane& main = leader->main();
    ASSERT_TRUE(leader->click(main.control<MenuItem>("mnuHoldEnable")));
    leader->world.scheduler.deliver([&] {
        for (int n = 0; n < 4; ++n) // four messages: the follower's reads for this second
            leader->board().DefineEvent(n, "Step", "-", 60 * (n + 1));
        main.control<CommandButton>("cmdHoldResume").click();
        main.control<CommandButton>("cmdHoldResume").click();
    });
    broker.flush();
    EXPECT_EQ(holds + resumes, 0) << "held back until the second has passed";
    advance(1s);
    EXPECT_EQ(holds, 1);
    EXPECT_EQ(resumes, 1);
    EXPECT_FALSE(followers[0]->main().held());

    // Read as they come, a hold and a resume are told once each as well.
    ASSERT_TRUE(leader->click(main.control<CommandButton>("cmdHoldResume")));
    advance(3s);
    ASSERT_TRUE(leader->click(main.control<CommandButton>("cmdHoldResume")));
    advance(61s); // the state goes out again once a minute, with the same happenings
    EXPECT_EQ(holds, 2);
    EXPECT_EQ(resumes, 2);
    expectAgreement("after the holds");
}

TEST_F(FollowTest, AForgedSequenceOrAnOldRunComingBackWarnsOfTwoLeaders_AndLocksNoOneOut) {
    startAll();
    Publisher forger(broker, server, *leader);
    const StatusPanel& panel = statusOf(*followers[0]);
    forger.last.sequence = leader_limits::MaxSequence;
    forger.last.state.launchTimeMs += 86'400'000;
    forger.send();
    advance(1s);
    EXPECT_EQ(following[0]->leaderSequence(), leader_limits::MaxSequence);
    ASSERT_TRUE(leader->click(leader->main().control<MenuItem>("mnuHoldEnable")));
    ASSERT_TRUE(leader->click(leader->main().control<CommandButton>("cmdHoldResume")));
    broker.flush();
    EXPECT_TRUE(followers[0]->main().held()) << "the real leader is obeyed again";
    EXPECT_EQ(panel.text(), "Two leaders publish on orvane");
    EXPECT_EQ(panel.backColor(), Amber);
    agreeFor(9, "after the forgery");
    EXPECT_TRUE(following[0]->twoLeaders());
    advance(2s);
    EXPECT_EQ(panel.text(), "Following broker:1883/orvane") << "ten quiet seconds later";

    // A new run is the leader restarted; the old run coming back after it is not.
    ++forger.last.run;
    forger.last.sequence = 1;
    forger.send();
    advance(1s);
    EXPECT_FALSE(following[0]->twoLeaders());
    ASSERT_TRUE(leader->click(leader->main().control<CommandButton>("cmdHoldResume")));
    broker.flush();
    EXPECT_TRUE(following[0]->twoLeaders());
    EXPECT_FALSE(followers[0]->main().held());
}

TEST_F(FollowTest, AMessageThatCannotBeReadIsDroppedWhole_Counted_AndSaidOnce) {
    startAll();
    Publisher forger(broker, server, *leader);
    const StatusPanel& panel = statusOf(*followers[0]);
    const Instant launch = followers[0]->main().launchMoment();
    const std::int64_t sequence = following[0]->leaderSequence();
    LeaderMessage bad = forger.last;
    ++bad.sequence;
    bad.state.count.days = -1;
    bad.state.launchTimeMs += 60'000;
    forger.send("{}");
    advance(1s);
    EXPECT_EQ(panel.text().rfind("A message on orvane could not be read: ", 0), 0u) << panel.text();
    forger.send(leaderMessageJson(bad));
    advance(1s);
    EXPECT_EQ(panel.text(),
              "A message on orvane could not be read: the field count.days is out of range");
    forger.send(std::string(MqttMessageLimit + 1, ' '));
    advance(1s);
    EXPECT_EQ(panel.text(), "A message on orvane could not be read: it is larger than 64 KiB");
    EXPECT_EQ(panel.backColor(), Amber);
    EXPECT_EQ(following[0]->unreadMessages(), 3);
    EXPECT_EQ(followers[0]->main().launchMoment(), launch);
    EXPECT_EQ(following[0]->leaderSequence(), sequence);
    ASSERT_TRUE(leader->click(leader->main().control<MenuItem>("mnuHoldEnable")));
    ASSERT_TRUE(leader->click(leader->main().control<CommandButton>("cmdHoldResume")));
    broker.flush();
    EXPECT_EQ(panel.text(), "Following broker:1883/orvane");
    EXPECT_TRUE(followers[0]->main().held());
}

// Until its leader is heard, a follower counts to nothing of its own: no count, no launch,
// and its status bar says so; the leader's first word, a hold here, shows at once.
TEST_F(FollowTest, AFollowerThatHasNotHeardItsLeaderShowsNoCountAndNoLaunch) {
    for (Site* s : sites()) {
        s->world.clock.set(at("2001-05-03 10:14:57"));
        s->world.scheduler.deliver([s] { Main(s->app); });
    }
    Site& site = *followers[0];
    following.push_back(std::make_unique<Follower>(site.app, site.link));
    following.back()->start(where, server);
    bool launched = false;
    Subscription heard = site.app.happenings().subscribe(
        [&](const Happening& h) { launched = launched || h.kind == Happening::Kind::Liftoff; });
    const auto shown = [](Site& s) {
        std::string text;
        for (const char* name : {"lblDays", "lblHours", "lblMinutes", "lblSeconds"})
            text += s.main().control<Label>(name).caption() + " ";
        return text;
    };
    advance(3s);
    ASSERT_TRUE(leader->click(leader->main().control<MenuItem>("mnuHoldEnable")));
    ASSERT_TRUE(leader->click(leader->main().control<CommandButton>("cmdHoldResume")));
    advance(20min);
    EXPECT_EQ(shown(site), "--- -- -- -- ");
    EXPECT_EQ(site.main().control<Label>("lblTMinus").caption(), "T -") << "no sign of its own";
    EXPECT_EQ(site.main().backColor(), LightRed);
    EXPECT_FALSE(launched) << "the launch time a follower starts with is not its leader's";
    EXPECT_EQ(statusOf(site).text(), "Leader not heard yet");
    // Nor anywhere else: the present window, the remote displays and the board.
    ASSERT_TRUE(site.click(site.main().control<MenuItem>("mnuRtPresent")));
    advance(1s);
    const frmPresent& present = site.app.form<frmPresent>();
    EXPECT_EQ(present.lblClock.caption(), "--:--:--");
    EXPECT_EQ(present.lblTMinus.caption(), "T -");
    EXPECT_EQ(present.backColor(), LightRed);
    EXPECT_EQ(present.lblTarget.caption(), "Leader not heard yet");
    const RemoteState remote = readRemoteState(site.app, 0);
    EXPECT_EQ(remote.notHeard, "Leader not heard yet");
    EXPECT_NE(remoteStateJson(remote).find(",\"not_heard\":\"Leader not heard yet\"}"),
              std::string::npos);
    for (int n = 0; n < 10; ++n)
        EXPECT_FALSE(site.app.board().row(n).visible) << "row " << n + 1;

    publisher = std::make_unique<Leader>(leader->app, leader->link, &health);
    publisher->start(where, server);
    broker.flush();
    EXPECT_TRUE(site.main().held());
    EXPECT_EQ(shown(site), shown(*leader));
    EXPECT_EQ(statusOf(site).text(), "Following broker:1883/orvane");
    advance(1s);
    EXPECT_EQ(present.lblClock.caption(), leader->main().control<Label>("lblHours").caption() +
                                              ":" +
                                              leader->main().control<Label>("lblMinutes").caption() +
                                              ":" + shown(*leader).substr(10, 2));
    EXPECT_FALSE(readRemoteState(site.app, 0).notHeard);
    expectBoardsAgree("once heard");
}

} // namespace
} // namespace orvane::test
