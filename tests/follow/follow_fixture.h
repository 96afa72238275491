#pragma once

// A leader and its followers, each a whole program on fakes of its own, meeting at a broker in
// memory. Their clocks move together: each step lets every program's time pass, then the
// broker hands on what was published in it.

#include "doubles/fake_mqtt.h"
#include "events/frmEventTimers.h"
#include "follow/follower.h"
#include "follow/leader.h"
#include "support/app_fixture.h"

#include <memory>
#include <vector>

namespace orvane::test {

// A clock's health that the test sets.
class FakeClockHealth : public ClockHealthSource {
  public:
    ClockHealth current() const override { return health; }
    void onChange(std::function<void(const ClockHealth&)> listener) override {
        m_listener = std::move(listener);
    }
    ClockHealth health;

  private:
    std::function<void(const ClockHealth&)> m_listener;
};

struct Site {
    Site(FakeBroker& broker, bool follows, bool ownClock = true)
        : world(info(follows, ownClock)), app(world.services),
          link(broker, world.clock,
               [this](const std::function<void()>& task) { world.scheduler.deliver(task); }) {}

    static AppInfo info(bool follows, bool ownClock) {
        AppInfo i = testInfo();
        i.ownClock = ownClock;
        if (follows)
            i.follow = "mqtt://broker/orvane";
        return i;
    }
    frmOrvane& main() { return app.frmOrvane(); }
    frmEventTimers& board() { return app.frmEventTimers(); }
    std::string count() { return main().shownCount().text(); }
    bool click(Control& c) {
        if (!c.acceptsInput())
            return false;
        world.scheduler.deliver([&] { c.click(); });
        return true;
    }

    FakeWorld world;
    App app;
    FakeMqttLink link;
};

class FollowTest : public ::testing::Test {
  protected:
    FollowTest() {
        where.host = "broker";
        where.topic = "orvane";
        server.host = "broker";
        leader = std::make_unique<Site>(broker, false);
        for (int i = 0; i < 2; ++i)
            followers.push_back(std::make_unique<Site>(broker, true));
    }
    ~FollowTest() override {
        publisher.reset();
        following.clear();
        for (Site* s : sites())
            EXPECT_FALSE(s->world.dialogs.failure()) << *s->world.dialogs.failure();
    }

    std::vector<Site*> sites() {
        std::vector<Site*> all{leader.get()};
        for (auto& f : followers)
            all.push_back(f.get());
        return all;
    }

    // Every program starts at the same moment, the leader publishing and the others
    // following.
    void startAll(std::string_view clock = "2001-05-03 10:14:57") {
        const std::vector<Site*> all = sites();
        for (std::size_t i = 0; i < all.size(); ++i) {
            Site* s = all[i];
            s->world.clock.set(at(clock));
            if (i < clockOffsetsMs.size() && clockOffsetsMs[i] != 0) {
                const std::int64_t off = clockOffsetsMs[i];
                s->world.clock.setInstant(
                    s->world.clock.instant().addSeconds(OwnClock::floorDiv(off, 1000)),
                    int(((off % 1000) + 1000) % 1000));
            }
            s->world.scheduler.deliver([s] { Main(s->app); });
        }
        advance(3s);
        publisher = std::make_unique<Leader>(leader->app, leader->link, &health);
        publisher->start(where, server);
        for (auto& f : followers) {
            following.push_back(std::make_unique<Follower>(f->app, f->link));
            following.back()->start(where, server);
        }
        broker.flush();
    }

    // Time passes for every program alike, in steps of a quarter second.
    void advance(std::chrono::milliseconds d) {
        for (std::int64_t done = 0; done < d.count(); done += 250) {
            const std::int64_t step = std::min<std::int64_t>(250, d.count() - done);
            for (Site* s : sites())
                s->world.scheduler.advance(step);
            broker.flush();
        }
    }

    // Every follower shows the leader's count.
    void expectAgreement(const std::string& when) {
        for (auto& f : followers)
            EXPECT_EQ(f->count(), leader->count()) << when;
    }
    // Every follower's board shows the rows the leader's shows, by the same names.
    void expectBoardsAgree(const std::string& when) {
        for (auto& f : followers)
            for (int n = 0; n < 10; ++n) {
                EXPECT_EQ(f->app.board().row(n).visible, leader->app.board().row(n).visible)
                    << when << ", row " << n + 1;
                EXPECT_EQ(f->app.board().row(n).name, leader->app.board().row(n).name)
                    << when << ", row " << n + 1;
            }
    }
    // Seconds pass, and at every one of them the followers agree with the leader.
    void agreeFor(int seconds, const std::string& when) {
        for (int i = 0; i < seconds; ++i) {
            advance(1s);
            expectAgreement(when + ", second " + std::to_string(i + 1));
        }
    }

    // How far each program's clock is off the leader's, leader first.
    std::vector<std::int64_t> clockOffsetsMs;
    FakeBroker broker;
    MqttAddress where;
    MqttServer server;
    FakeClockHealth health;
    std::unique_ptr<Site> leader;
    std::vector<std::unique_ptr<Site>> followers;
    std::unique_ptr<Leader> publisher;
    std::vector<std::unique_ptr<Follower>> following;
};

} // namespace orvane::test
