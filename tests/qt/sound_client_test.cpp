// The program's sound in its own process, orvane-sound, as the program meets it: one that
// is killed, hangs or is missing costs the callouts, is said in the status bar, and the
// count goes on. The sound process here has no sound server to reach, so it answers with why.

#include "callouts/callouts.h"
#include "qt/qt_sound_client.h"
#include "support/app_fixture.h"

#include <QTest>

#include <signal.h>

namespace orvane::test {
namespace {

// Every sound process of these tests looks for a sound server where there is none.
struct NoSoundServer {
    NoSoundServer() { qputenv("PULSE_SERVER", "unix:/nonexistent/orvane-test-sound"); }
    ~NoSoundServer() { qunsetenv("PULSE_SERVER"); }
};

bool waitFor(const std::function<bool()>& done) {
    return QTest::qWaitFor(done, 20000);
}

class SoundProcessTest : public ::testing::Test {
  protected:
    SoundClient::Post post() {
        return [this](std::function<void()> task) {
            ++told;
            world.scheduler.deliver(task);
        };
    }
    Services& withSound(SoundOutput& sound) {
        world.services.sound = &sound;
        return world.services;
    }
    const StatusPanel& soundPanel() {
        return *app.frmOrvane().control<StatusBar>("sbrStatusBar").panel("pnlSound");
    }
    std::string why() { return soundPanel().toolTipText(); }

    NoSoundServer noServer;
    FakeWorld world{testInfo()};
    int told = 0;
    SoundClient client{
        QStringLiteral(ORVANE_SOUND_HELPER), post(), {std::chrono::milliseconds(50)}};
    App app{withSound(client)};
};

TEST_F(SoundProcessTest, KilledSoundProcessIsSaidAndStartedAgain_TheCountGoesOn) {
    world.clock.set(at("2001-05-03 10:29:45"));
    world.scheduler.deliver([this] { Main(app); });
    world.scheduler.advance(3000);
    // The sound process tells why it has no sound, and the voices it has.
    ASSERT_TRUE(waitFor([&] {
        return why().starts_with("No sound server") && !client.voices().empty();
    })) << why();
    const std::string own = why();
    EXPECT_EQ(soundPanel().text(), "No sound");
    const qint64 first = client.helperPid();
    ASSERT_NE(first, 0);

    ::kill(pid_t(first), SIGKILL);
    ASSERT_TRUE(waitFor([&] { return why().find("ended unexpectedly") != std::string::npos; }));
    EXPECT_EQ(why(), "No sound: the sound process orvane-sound ended unexpectedly; it is started "
                     "again.");
    EXPECT_EQ(soundPanel().text(), "No sound");
    world.scheduler.advance(2000);
    EXPECT_EQ(app.frmOrvane().control<Label>("lblSeconds").caption(), "10") << "the count went on";

    // Started again, the sound process is told everything anew and answers as before.
    ASSERT_TRUE(waitFor([&] { return client.helperPid() != 0 && why() == own; })) << why();
    EXPECT_NE(client.helperPid(), first);
}

TEST_F(SoundProcessTest, AfterTheLastRestartThereIsNoSoundForGood) {
    SoundClient few(QStringLiteral(ORVANE_SOUND_HELPER), post(),
                    {std::chrono::milliseconds(10), std::chrono::milliseconds(10)});
    qint64 last = 0;
    for (int killed = 0; killed < 3; ++killed) {
        ASSERT_TRUE(waitFor([&] { return few.helperPid() != 0 && few.helperPid() != last; }));
        last = few.helperPid();
        ::kill(pid_t(last), SIGKILL);
        ASSERT_TRUE(waitFor([&] { return few.helperPid() == 0; }));
    }
    ASSERT_TRUE(waitFor([&] { return few.unavailable().ends_with("after each restart."); }));
    EXPECT_EQ(few.unavailable(), "No sound: the sound process orvane-sound ended unexpectedly, "
                                 "and again after each restart.");
    few.plan({{"nine", 1}});
    few.sound({"liftoff", 2});
    EXPECT_EQ(few.helperPid(), 0);
}

// A sound process that stops reading is not waited for: once the program has more queued for
// it than it would ever need, it is killed and started again.
TEST_F(SoundProcessTest, HungSoundProcessIsKilledAndStartedAgain) {
    ASSERT_TRUE(waitFor([&] { return client.helperPid() != 0; }));
    const qint64 hung = client.helperPid();
    ::kill(pid_t(hung), SIGSTOP);
    const std::vector<Cue> long_ago(50000, Cue{"nine", 1000});
    for (int i = 0; i < 3; ++i)
        client.plan(long_ago);
    ASSERT_TRUE(waitFor(
        [&] { return client.unavailable().find("stopped answering") != std::string::npos; }));
    EXPECT_EQ(client.unavailable(),
              "No sound: the sound process orvane-sound stopped answering; it is started again.");
    ASSERT_TRUE(waitFor([&] { return client.helperPid() != 0 && client.helperPid() != hung; }));
    ASSERT_TRUE(waitFor([&] { return client.unavailable().starts_with("No sound server"); }));
}

TEST_F(SoundProcessTest, MissingSoundProcessIsSaidOnce) {
    const struct {
        QString path;
        std::string why;
    } cases[] = {
        {QString(),
         "No sound: the sound process orvane-sound is not installed beside the program."},
        {QStringLiteral("/nonexistent/orvane-sound"),
         "No sound: the sound process /nonexistent/orvane-sound could not start"},
    };
    for (const auto& c : cases) {
        told = 0;
        SoundClient missing(c.path, post(), {std::chrono::milliseconds(10)});
        ASSERT_TRUE(waitFor([&] { return !missing.unavailable().empty(); })) << c.why;
        EXPECT_TRUE(missing.unavailable().starts_with(c.why)) << missing.unavailable();
        missing.prepare({"nine"});
        missing.sound({"liftoff", 2});
        EXPECT_EQ(told, 1) << c.why;
        EXPECT_EQ(missing.helperPid(), 0);
    }
}

} // namespace
} // namespace orvane::test
