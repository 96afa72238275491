// How the schedulers order and repeat ticks where one tick changes the timers: the fast round
// after a tick that enables or makes a timer, slow timers due at the same moment, a timer that
// goes away in its own tick, and the literal timing the benchmark compares with.

#include "toolkit/controls.h"
#include "doubles/fake_services.h"
#include "toolkit/form.h"
#include "toolkit/scheduler_base.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace orvane {
namespace {

class TimerForm : public Form {
  public:
    explicit TimerForm(Services& s) : Form(s, "frmTimers") {}
    Timer tmrFirst{this, "tmrFirst", 1, false};
    Timer tmrSecond{this, "tmrSecond", 1, false};
    Timer tmrSlowA{this, "tmrSlowA", 250, false};
    Timer tmrSlowB{this, "tmrSlowB", 250, false};
};

class TimerOrderTest : public ::testing::Test {
  protected:
    TimerOrderTest() { world.clock.set(*DateTime::fromParts(2001, 5, 3, 10, 0, 0)); }
    FakeWorld world;
    TimerForm form{world.services};
    std::vector<std::string> log;
};

// Guards against a round that stops after one pass: a fast timer made earlier but enabled by a
// later timer's tick must still run in that same round.
TEST_F(TimerOrderTest, AFastTimerEnabledByALaterTickRunsInTheSameRound) {
    form.tmrFirst.onTimer = [&] { log.push_back("first"); };
    form.tmrSecond.onTimer = [&] {
        log.push_back("second");
        form.tmrFirst.setEnabled(true);
    };
    form.tmrSecond.setEnabled(true);
    world.scheduler.settle();
    EXPECT_EQ(log, (std::vector<std::string>{"second", "first"}));
    log.clear();
    world.scheduler.advance(1000);
    EXPECT_EQ(log, (std::vector<std::string>{"first", "second"})) << "once each per round";
}

// Guards the same for a window made inside a tick: its fast timer runs in the round at once.
TEST_F(TimerOrderTest, AFastTimerMadeByATickRunsInTheSameRound) {
    std::unique_ptr<Timer> made;
    bool once = false;
    form.tmrSecond.onTimer = [&] {
        log.push_back("second");
        if (!once) {
            once = true;
            made = std::make_unique<Timer>(&form, "tmrMade", 1, true);
            made->onTimer = [&] { log.push_back("made"); };
        }
    };
    form.tmrSecond.setEnabled(true);
    world.scheduler.settle();
    EXPECT_EQ(log, (std::vector<std::string>{"second", "made"}));
    made.reset();
    log.clear();
    world.scheduler.advance(1000);
    EXPECT_EQ(log, (std::vector<std::string>{"second"}));
}

// Guards the order of slow timers due at the same moment: the one made first ticks first,
// whichever was enabled first, and a timer that turns itself off in its tick ticks no more.
TEST_F(TimerOrderTest, SlowTimersDueTogetherTickInTheOrderTheyWereMade) {
    form.tmrSlowA.onTimer = [&] { log.push_back("A"); };
    form.tmrSlowB.onTimer = [&] {
        log.push_back("B");
        form.tmrSlowB.setEnabled(false);
    };
    form.tmrSlowB.setEnabled(true);
    form.tmrSlowA.setEnabled(true);
    world.scheduler.advance(250);
    EXPECT_EQ(log, (std::vector<std::string>{"A", "B"}));
    world.scheduler.advance(500);
    EXPECT_EQ(log, (std::vector<std::string>{"A", "B", "A", "A"}));
}

// Guards a tick that changes its own interval: the next tick follows the new interval from
// the moment of the change.
TEST_F(TimerOrderTest, ATickThatChangesItsIntervalStartsTheNewPeriodThere) {
    form.tmrSlowA.onTimer = [&] {
        log.push_back(std::to_string(world.scheduler.elapsedMs()));
        form.tmrSlowA.setInterval(400);
    };
    form.tmrSlowA.setEnabled(true);
    world.scheduler.advance(1100);
    EXPECT_EQ(log, (std::vector<std::string>{"250", "650", "1050"}));
}

// A scheduler that only records what it is asked to do, to see the literal timing's choices.
class RecordingScheduler : public SchedulerBase {
  public:
    explicit RecordingScheduler(bool literal) { setLiteral(literal); }
    std::vector<std::string> calls;
    void tick(Timer& t) { fireTimer(t); }

  protected:
    void roundWanted() override { calls.push_back("round wanted"); }
    void ownTimerChanged(Timer& t) override { calls.push_back("own timer " + t.name()); }
    void ownTimerRemoved(Timer&) override {}
    void setSecondPhase(int) override {}
};

TEST(LiteralTiming, EveryTimerRunsOnItsOwnAndNothingRunsAfterEvents) {
    FakeWorld world;
    RecordingScheduler literal(true);
    Services services{world.clock, literal,       world.dialogs, world.settings,
                      world.help,  world.process, world.files,   AppInfo{}};
    Form form(services, "frmTimers");
    Timer fast(&form, "tmrFast", 1, true);
    int ticks = 0;
    fast.onTimer = [&] { ++ticks; };
    EXPECT_EQ(literal.calls.back(), "own timer tmrFast");
    literal.calls.clear();
    literal.deliver([] {});
    literal.tick(fast);
    EXPECT_EQ(ticks, 1) << "only its own tick, no round after the event or the tick";
    EXPECT_TRUE(literal.calls.empty());

    Timer paced(&form, "tmrPaced", 243, true);
    paced.setPace(Timer::Pace::Second);
    paced.onTimer = [] {};
    EXPECT_EQ(literal.calls.back(), "own timer tmrPaced") << "paced by the second, yet literal";

    RecordingScheduler policy(false);
    Services policyServices{world.clock, policy,        world.dialogs, world.settings,
                            world.help,  world.process, world.files,   AppInfo{}};
    Form policyForm(policyServices, "frmTimers");
    Timer policyFast(&policyForm, "tmrFast", 1, true);
    policyFast.onTimer = [] {};
    EXPECT_EQ(policy.calls.back(), "round wanted");
}

} // namespace
} // namespace orvane
