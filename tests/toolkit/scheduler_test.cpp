#include "toolkit/controls.h"
#include "doubles/fake_services.h"
#include "toolkit/form.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orvane {
namespace {

class TimerForm : public Form {
  public:
    explicit TimerForm(Services& s) : Form(s, "frmTimers") {}
    Timer tmrFast{this, "tmrFast", 1, false};
    Timer tmrOther{this, "tmrOther", 1, false};
    Timer tmrSlow{this, "tmrSlow", 243, false};
    CommandButton cmdGo{this, "cmdGo"};
};

class SchedulerTest : public ::testing::Test {
  protected:
    SchedulerTest() {
        world.clock.set(*DateTime::fromParts(2001, 5, 3, 10, 0, 0));
        form.tmrFast.onTimer = [this] { log.push_back("fast@" + seconds()); };
        form.tmrSlow.onTimer = [this] { log.push_back("slow"); };
    }
    std::string seconds() const { return std::to_string(world.clock.now().second()); }
    int count(const std::string& prefix) const {
        int n = 0;
        for (auto& l : log)
            n += l.rfind(prefix, 0) == 0;
        return n;
    }

    FakeWorld world;
    TimerForm form{world.services};
    std::vector<std::string> log;
};

TEST_F(SchedulerTest, AFastTimerRunsOncePerSecondOfTheClock_NotEveryMillisecond) {
    form.tmrFast.setEnabled(true);
    world.scheduler.advance(10'000);
    // Once when it was enabled, then once at each of the ten new seconds.
    EXPECT_EQ(count("fast@"), 11);
    EXPECT_EQ(log.front(), "fast@0");
    EXPECT_EQ(log.back(), "fast@10");
}

TEST_F(SchedulerTest, AFastTimerRunsRightAfterEveryOtherTickAndEvent) {
    form.tmrFast.setEnabled(true);
    form.tmrSlow.setEnabled(true);
    world.scheduler.settle();
    log.clear();
    world.scheduler.advance(500);
    EXPECT_EQ(log, (std::vector<std::string>{"slow", "fast@0", "slow", "fast@0"}));
    log.clear();
    world.scheduler.deliver([] {});
    EXPECT_EQ(log, (std::vector<std::string>{"fast@0"}));
}

// A count paced by the second ticks with the fast timers and never in between, while its
// Interval and Enabled stay as the window set them; disabled, it costs nothing.
TEST_F(SchedulerTest, ATimerPacedByTheSecondTicksOnlyInTheRounds_WithItsIntervalKept) {
    form.tmrSlow.setPace(Timer::Pace::Second);
    form.tmrFast.setEnabled(true);
    form.tmrSlow.setEnabled(true);
    world.scheduler.settle();
    EXPECT_EQ(log, (std::vector<std::string>{"fast@0", "slow"})) << "in the order they were made";
    log.clear();
    world.scheduler.advance(999);
    EXPECT_TRUE(log.empty()) << "nothing it shows can change within the second";
    world.scheduler.advance(1);
    EXPECT_EQ(log, (std::vector<std::string>{"fast@1", "slow"}));
    log.clear();
    world.scheduler.deliver([] {});
    EXPECT_EQ(log, (std::vector<std::string>{"fast@1", "slow"})) << "and right after an event";
    EXPECT_EQ(form.tmrSlow.interval(), 243);
    EXPECT_TRUE(form.tmrSlow.enabled());

    form.tmrSlow.setEnabled(false);
    log.clear();
    world.scheduler.advance(5000);
    EXPECT_EQ(count("slow"), 0);
    EXPECT_EQ(count("fast@"), 5);
}

TEST_F(SchedulerTest, ASlowTimerKeepsItsInterval_AndRestartsItsPeriodWhenReenabled) {
    form.tmrSlow.setEnabled(true);
    world.scheduler.advance(729);
    EXPECT_EQ(count("slow"), 3);
    form.tmrSlow.setEnabled(false);
    world.scheduler.advance(1000);
    EXPECT_EQ(count("slow"), 3);
    form.tmrSlow.setEnabled(true);
    world.scheduler.advance(242);
    EXPECT_EQ(count("slow"), 3) << "a new period starts when it is enabled again";
    world.scheduler.advance(1);
    EXPECT_EQ(count("slow"), 4);
}

TEST_F(SchedulerTest, AFastTimerEnabledByAnEventRunsRightAfterIt) {
    form.cmdGo.onClick = [this] { form.tmrFast.setEnabled(true); };
    world.scheduler.deliver([this] { form.cmdGo.click(); });
    EXPECT_EQ(log, (std::vector<std::string>{"fast@0"}));
}

TEST_F(SchedulerTest, ATimerNeverReentersItsOwnTick) {
    // A tick that shows a message box lets other events run meanwhile; its own timer must not
    // tick again inside it, but other fast timers may.
    int depth = 0, maxDepth = 0, others = 0;
    form.tmrOther.onTimer = [&] { ++others; };
    form.tmrFast.onTimer = [&] {
        maxDepth = std::max(maxDepth, ++depth);
        world.scheduler.deliver([] {}); // an event handled inside the tick
        --depth;
    };
    form.tmrFast.setEnabled(true);
    form.tmrOther.setEnabled(true);
    world.scheduler.advance(3000);
    EXPECT_EQ(maxDepth, 1);
    EXPECT_GT(others, 4) << "the other timer ran inside the busy tick too";
}

TEST_F(SchedulerTest, AJumpOfTheClockRunsTheFastTimersAtOnce) {
    form.tmrFast.setEnabled(true);
    world.scheduler.settle();
    log.clear();
    world.clock.set(*DateTime::fromParts(2001, 5, 3, 13, 50, 42));
    EXPECT_EQ(log, (std::vector<std::string>{"fast@42"}));
    log.clear();
    world.scheduler.advance(999);
    EXPECT_TRUE(log.empty()) << "the next second is a full second after the jump";
}

TEST_F(SchedulerTest, APostedTaskWaitsForTheOutermostEvent) {
    std::vector<std::string> order;
    world.scheduler.deliver([&] {
        world.scheduler.deliver([&] {
            world.scheduler.post([&] { order.push_back("posted"); });
            order.push_back("inner");
        });
        order.push_back("outer");
    });
    EXPECT_EQ(order, (std::vector<std::string>{"inner", "outer", "posted"}));
}

TEST_F(SchedulerTest, ATimerWithNothingToDoOrNoIntervalNeverTicks) {
    form.tmrOther.setEnabled(true); // no tick handler
    form.tmrSlow.setInterval(0);
    form.tmrSlow.setEnabled(true);
    world.scheduler.advance(5000);
    EXPECT_EQ(count("slow"), 0);
}

} // namespace
} // namespace orvane
