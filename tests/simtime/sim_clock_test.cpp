// Simulated mission time when the computer's clock answers late, as it does while a person
// reads an authorisation prompt; and the wizard's last entries, which outlive its pages.

#include "app.h"
#include "clock/frmOrvane.h"
#include "doubles/fake_services.h"
#include "shell/basOrvaneLoad.h"
#include "simtime/frmWizardPlusMinus.h"
#include "simtime/frmWizardTime.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace orvane::test {
namespace {

// The fake computer clock, but a request to set it waits until the test answers it.
class SlowClock : public Clock {
  public:
    explicit SlowClock(FakeClock& clock) : m_clock(clock) {}
    Instant instant() const override { return m_clock.instant(); }
    TimeZone zone() const override { return m_clock.zone(); }
    std::int64_t unixMs() const override { return m_clock.unixMs(); }
    std::int64_t monotonicMs() const override { return m_clock.monotonicMs(); }
    void setSystemDateTime(DateTime when, int ms, SetAnswer answer) override {
        requests.push_back({when, ms, std::move(answer)});
    }

    // The service answers the oldest request: the clock is set, or REFUSAL comes back.
    void answer(const std::string& refusal = {}) {
        Request r = std::move(requests.front());
        requests.erase(requests.begin());
        if (refusal.empty())
            m_clock.setInstant(m_clock.zone().toInstant(r.when), r.ms);
        r.answer(refusal);
    }

    struct Request {
        DateTime when;
        int ms = 0;
        SetAnswer answer;
    };
    std::vector<Request> requests;

  private:
    FakeClock& m_clock;
};

std::string stamp(DateTime t) {
    return formatDate(t, "yyyy-mm-dd hh:nn:ss");
}

class SlowClockTest : public ::testing::Test {
  protected:
    SlowClockTest() {
        world.clock.set(*DateTime::fromParts(2001, 5, 3, 10, 0, 0));
        world.scheduler.deliver([this] { Main(app); });
        world.scheduler.advance(3000);
    }
    ~SlowClockTest() override {
        EXPECT_FALSE(world.dialogs.failure()) << *world.dialogs.failure();
        EXPECT_EQ(world.dialogs.unusedAnswers(), 0u);
    }
    void click(Control& c) {
        world.scheduler.deliver([&] { c.click(); });
    }

    FakeWorld world;
    SlowClock clock{world.clock};
    Services services{clock,      world.scheduler, world.dialogs, world.settings,
                      world.help, world.process,   world.files,   AppInfo{}};
    App app{services};
    frmOrvane& main = app.frmOrvane();
};

TEST_F(SlowClockTest, TheCountTurnsWhileTheChangeWaits_AndTheTrueTimeIsTheOneBeforeIt) {
    world.dialogs.queueAnswer(Answer::Yes);
    click(main.control<MenuItem>("mnuTminus10"));
    ASSERT_EQ(clock.requests.size(), 1u);
    EXPECT_EQ(stamp(clock.requests[0].when), "2001-05-03 10:20:00");
    EXPECT_EQ(main.control<Label>("lblRevertTime").tag(), "")
        << "nothing is remembered before the answer";

    world.scheduler.advance(5000);
    EXPECT_EQ(main.control<Label>("lblSeconds").caption(), "52");
    // A second preset while the first waits starts no second change.
    world.dialogs.queueAnswer(Answer::Yes);
    click(main.control<MenuItem>("mnuTminus2"));
    EXPECT_EQ(clock.requests.size(), 1u);

    clock.answer();
    world.scheduler.settle();
    EXPECT_EQ(main.control<Label>("lblMinutes").caption(), "10");
    EXPECT_EQ(main.control<Label>("lblSeconds").caption(), "00");
    EXPECT_EQ(main.control<Label>("lblRevertTime").tag(), "Chk");
    EXPECT_EQ(main.control<Label>("lblRevertTime").caption(), "5/3/2001 10:00:03 AM");

    // The restore counts the time the change waited and the time since.
    world.scheduler.advance(20'000);
    click(main.control<MenuItem>("mnuRestoreTime"));
    ASSERT_EQ(clock.requests.size(), 1u);
    EXPECT_EQ(stamp(clock.requests[0].when), "2001-05-03 10:00:28");
}

TEST_F(SlowClockTest, TheRefusalIsToldWhenItComes_AndYesRunsTheOwnClockFromThen) {
    world.dialogs.queueAnswer(Answer::Yes);
    click(main.control<MenuItem>("mnuTminus10"));
    world.scheduler.advance(4000);
    EXPECT_EQ(world.dialogs.shown().size(), 1u);

    world.dialogs.queueAnswer(Answer::Yes);
    clock.answer("Interactive authentication required.");
    EXPECT_EQ(world.dialogs.shown().size(), 2u);
    EXPECT_EQ(world.dialogs.shown().back().icon, Icon::Exclamation);
    world.scheduler.settle();
    EXPECT_EQ(main.control<Label>("lblMinutes").caption(), "10");
    EXPECT_EQ(main.control<Label>("lblSeconds").caption(), "00");
    EXPECT_EQ(stamp(world.clock.now()), "2001-05-03 10:00:07") << "the computer's clock is left";
    EXPECT_EQ(main.control<Label>("lblRevertTime").caption(), "5/3/2001 10:00:03 AM");
}

class SimWizardTest : public SlowClockTest {};

// The launch data file keeps the wizard's last entries in the record, without opening the
// wizard (which would disable both main windows); the pages open on what it holds.
TEST_F(SimWizardTest, ThePagesOpenOnTheRecord) {
    SimWizardEntries& entries = app.simWizardEntries();
    entries.tMinus = false;
    entries.vsbDaysSim = 5;
    entries.txtDaysSim = "005";
    EXPECT_FALSE(app.isLoaded("frmWizardPlusMinus"));
    EXPECT_TRUE(main.enabled());

    click(main.control<MenuItem>("mnuManualSet"));
    auto& first = *app.loaded<frmWizardPlusMinus>();
    EXPECT_TRUE(first.optTPlus.value());
    EXPECT_EQ(first.fraFrame.backColor(), 0x00C000u);
    click(first.cmdNext);
    auto& second = *app.loaded<frmWizardTime>();
    EXPECT_EQ(second.mission.vsbDaysSim.value(), 5);
    EXPECT_EQ(second.mission.txtDaysSim.text(), "005");
}

// A record read from a file may hold more days than the scroll bar reaches; an offset
// beyond 32 bits, after liftoff or before it, is refused with a message rather than wrapping
// round to another time.
TEST_F(SimWizardTest, AnOffsetBeyond32BitsIsRefused_OnEitherSideOfLiftoff) {
    for (const bool tMinus : {false, true}) {
        SCOPED_TRACE(tMinus ? "T -" : "T +");
        app.simWizardEntries().tMinus = tMinus;
        app.simWizardEntries().txtDaysSim = "99999";
        click(main.control<MenuItem>("mnuManualSet"));
        click(app.loaded<frmWizardPlusMinus>()->cmdNext);
        world.dialogs.queueAnswer(Answer::OK);
        auto& page = *app.loaded<frmWizardTime>();
        click(page.cmdEnter);
        EXPECT_EQ(world.dialogs.shown().back().text,
                  "This mission time is too far from liftoff to be shown.");
        EXPECT_TRUE(clock.requests.empty());
        EXPECT_TRUE(app.isLoaded("frmWizardTime")) << "the user may correct it";
        click(page.cmdCancel);
        world.scheduler.advance(1);
    }
}

} // namespace
} // namespace orvane::test
