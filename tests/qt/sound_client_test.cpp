// The program's sound in its own process, orvane-sound, as the program meets it: one that
// is killed, hangs or is missing costs the callouts, is said in the status bar, and the
// count goes on. The sound process here has no sound server to reach, so it answers with why.

#include "callouts/callouts.h"
#include "qt/qt_sound_client.h"
#include "support/app_fixture.h"

#include <QTest>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

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

// Whether every thread of process PID is stopped, as their states in /proc say.
bool everyThreadStopped(qint64 pid) {
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
    const QStringList threads = tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    return !threads.empty() && std::all_of(threads.begin(), threads.end(), [&](const QString& t) {
        QFile stat(tasks.filePath(t + "/stat"));
        if (!stat.open(QIODevice::ReadOnly))
            return false;
        const QByteArray line = stat.readAll();
        const qsizetype close = line.lastIndexOf(')');
        return close > 0 && close + 2 < line.size() && line[close + 2] == 'T';
    });
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
    const std::string own = client.unavailable();
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
    ASSERT_TRUE(waitFor([&] { return client.helperPid() != 0 && client.unavailable() == own; }))
        << why();
    EXPECT_NE(client.helperPid(), first);
}

// Regression: after the last of its restarts a sound process that ended was never started
// again, and a final count passed in silence. Restarts go on at the last wait.
TEST_F(SoundProcessTest, RestartsGoOnAtTheLastWait) {
    SoundClient few(QStringLiteral(ORVANE_SOUND_HELPER), post(),
                    {std::chrono::milliseconds(10), std::chrono::milliseconds(20)});
    qint64 last = 0;
    for (int killed = 0; killed < 4; ++killed) {
        ASSERT_TRUE(waitFor([&] { return few.helperPid() != 0 && few.helperPid() != last; }));
        last = few.helperPid();
        ::kill(pid_t(last), SIGKILL);
        ASSERT_TRUE(waitFor([&] { return few.helperPid() == 0; }));
    }
    EXPECT_EQ(few.unavailable(), "No sound: the sound process orvane-sound ended unexpectedly; it "
                                 "is started again.");
    ASSERT_TRUE(waitFor([&] { return few.helperPid() != 0 && few.helperPid() != last; }));
}

// Regression: a sound process stopped (SIGSTOP) was taken for working until a megabyte went
// unread. The program looks at it on each of its rounds: stopped, it is said at the first
// round after, killed and started again.
TEST_F(SoundProcessTest, StoppedSoundProcessIsFoundByItsSilence) {
    SoundClient slow(QStringLiteral(ORVANE_SOUND_HELPER), post(), {std::chrono::seconds(1)});
    ASSERT_TRUE(waitFor([&] { return slow.unavailable().starts_with("No sound server"); }));
    ASSERT_FALSE(slow.asking());
    const qint64 stopped = slow.helperPid();
    ::kill(pid_t(stopped), SIGSTOP);
    // Once the kernel has stopped it, one round finds it: no question is waiting for an answer
    // that would show it by its silence.
    ASSERT_TRUE(waitFor([&] { return everyThreadStopped(stopped); }));
    slow.beat();
    ASSERT_TRUE(
        waitFor([&] { return slow.unavailable().find("stopped answering") != std::string::npos; }));
    EXPECT_EQ(slow.unavailable(),
              "No sound: the sound process orvane-sound stopped answering; it is started again.");
    // A cue asked for meanwhile is told as missed, not lost without a word.
    std::vector<std::string> missed;
    slow.onMissed = [&](const std::string& text) { missed.push_back(text); };
    slow.sound({"hold", 1});
    ASSERT_TRUE(waitFor([&] { return !missed.empty(); }));
    EXPECT_EQ(missed, std::vector<std::string>{"hold"});
    ASSERT_TRUE(waitFor([&] { return slow.helperPid() != 0 && slow.helperPid() != stopped; }));
    ASSERT_TRUE(waitFor([&] { return slow.unavailable().starts_with("No sound server"); }));
}

// A sound process that runs on but answers nothing (stuck, not stopped) is found by the
// question it leaves unanswered, once it has had its time to start.
TEST_F(SoundProcessTest, StuckSoundProcessIsFoundByItsSilence) {
    QTemporaryDir dir;
    QFile stuck(dir.filePath("orvane-sound"));
    ASSERT_TRUE(stuck.open(QIODevice::WriteOnly));
    stuck.write("#!/bin/sh\nexec sleep 60\n");
    stuck.close();
    stuck.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    SoundClient silent(stuck.fileName(), post(), {std::chrono::seconds(30)});
    ASSERT_TRUE(waitFor([&] { return silent.helperPid() != 0; }));
    ASSERT_TRUE(waitFor([&] {
        silent.beat();
        return silent.unavailable().find("stopped answering") != std::string::npos;
    }));
    EXPECT_EQ(silent.helperPid(), 0);
}

// Regression: the silence was counted from the last answer, so a healthy sound process was
// killed, and a "hold" lost with it, when the program's rounds came late (a hold moves them)
// and it had not been asked anything for a while. Silence counts only from a question.
TEST_F(SoundProcessTest, SoundProcessNotAskedForAWhileIsNotTakenForStuck) {
    ASSERT_TRUE(waitFor([&] { return client.unavailable().starts_with("No sound server"); }));
    const qint64 pid = client.helperPid();
    auto now = std::chrono::steady_clock::now();
    ASSERT_TRUE(waitFor([&] { return !client.asking(); }));
    client.steadyNow = [&now] { return now; };
    for (int round = 0; round < 3; ++round) {
        now += std::chrono::seconds(10); // no round for ten seconds
        client.beat();
        ASSERT_TRUE(client.asking()) << "round " << round;
        now += SoundClient::Silent - std::chrono::milliseconds(1);
        client.beat();
        ASSERT_TRUE(waitFor([&] { return !client.asking(); })) << "the process answers";
        ASSERT_EQ(client.helperPid(), pid) << "round " << round << ": " << client.unavailable();
    }
    // A question left unanswered past the silence allowed is still found.
    now += std::chrono::seconds(10);
    client.beat();
    now += SoundClient::Silent + std::chrono::milliseconds(1);
    client.beat();
    EXPECT_TRUE(waitFor([&] {
        return client.unavailable().find("stopped answering") != std::string::npos;
    })) << client.unavailable();
}

// With nothing to say the sound process is asked after a few seconds only, so that it can
// sleep; while a cue is planned it is asked every round, so that a hang is found before the
// cues it would lose.
TEST_F(SoundProcessTest, SoundProcessIsAskedEachRoundWhileACueIsPlanned) {
    ASSERT_TRUE(waitFor([&] { return client.unavailable().starts_with("No sound server"); }));
    ASSERT_TRUE(waitFor([&] { return !client.asking(); }));
    auto now = std::chrono::steady_clock::now();
    client.steadyNow = [&now] { return now; };
    now += SoundClient::Heartbeat;
    client.beat();
    ASSERT_TRUE(waitFor([&] { return !client.asking(); }));
    now += SoundClient::BusyHeartbeat;
    client.beat();
    EXPECT_FALSE(client.asking()) << "nothing planned: not asked again so soon";
    const auto wallMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::system_clock::now().time_since_epoch())
                            .count();
    client.plan({Cue{"nine", wallMs + 60000}});
    client.beat();
    EXPECT_TRUE(client.asking()) << "a cue planned: asked at the round";
    ASSERT_TRUE(waitFor([&] { return !client.asking(); }));
    now += SoundClient::BusyHeartbeat - std::chrono::milliseconds(1);
    client.beat();
    EXPECT_FALSE(client.asking()) << "not before its time";
    now += std::chrono::milliseconds(1);
    client.beat();
    EXPECT_TRUE(client.asking());
    ASSERT_TRUE(waitFor([&] { return !client.asking(); }));
    client.plan({});
}

// A sound process whose output reads nothing is killed once more is queued for it than it
// would ever need, even between two heartbeats.
TEST_F(SoundProcessTest, FloodedSoundProcessIsKilledAndStartedAgain) {
    ASSERT_TRUE(waitFor([&] { return client.helperPid() != 0; }));
    const qint64 hung = client.helperPid();
    ::kill(pid_t(hung), SIGSTOP);
    const std::vector<Cue> long_ago(50000, Cue{"nine", 1000});
    for (int i = 0; i < 3; ++i)
        client.plan(long_ago);
    ASSERT_TRUE(waitFor(
        [&] { return client.unavailable().find("stopped answering") != std::string::npos; }));
}

// Regression: without the voice's data the sound process ended at once, again and again, and
// the program said it ended unexpectedly. It stays, and says the voice is missing.
TEST_F(SoundProcessTest, MissingVoiceIsSaidAsSuch) {
    // The voice's data looked for where there is only an empty folder of its name.
    QTemporaryDir empty;
    ASSERT_TRUE(QDir(empty.path()).mkdir("espeak-ng-data"));
    qputenv("ESPEAK_DATA_PATH", empty.path().toUtf8());
    SoundClient voiceless(QStringLiteral(ORVANE_SOUND_HELPER), post(),
                          {std::chrono::milliseconds(10)});
    qunsetenv("ESPEAK_DATA_PATH");
    ASSERT_TRUE(waitFor([&] { return voiceless.unavailable().starts_with("No voice"); }))
        << voiceless.unavailable();
    EXPECT_EQ(voiceless.unavailable(),
              "No voice: the speech data (espeak-ng-data) is not installed.");
    EXPECT_NE(voiceless.helperPid(), 0) << "the sound process stays";
}

// A sound server that takes the connection and never answers is said within a few seconds,
// not after the client library's own half a minute.
TEST_F(SoundProcessTest, ServerThatNeverAnswersIsSaid) {
    const QByteArray path =
        QDir::tempPath().toUtf8() + "/orvane-mute-server-" + QByteArray::number(::getpid());
    const int listening = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.constData(), sizeof address.sun_path - 1);
    ::unlink(path.constData());
    ASSERT_EQ(::bind(listening, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(listening, 8), 0);
    qputenv("PULSE_SERVER", "unix:" + path);
    SoundClient mute(QStringLiteral(ORVANE_SOUND_HELPER), post(), {std::chrono::milliseconds(10)});
    const bool said = waitFor(
        [&] { return mute.unavailable() == "No sound server: the sound server does not answer."; });
    ::close(listening);
    ::unlink(path.constData());
    EXPECT_TRUE(said) << mute.unavailable();
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
        // Once why there is no sound, once the cue that could not be heard.
        EXPECT_EQ(told, 2) << c.why;
        EXPECT_EQ(missing.helperPid(), 0);
    }
}

} // namespace
} // namespace orvane::test
