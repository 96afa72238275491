// The real clock backend against python3-dbusmock's timedated template, on a private bus of
// this test's own: the machine's clock and its system bus are never touched.

#include "app.h"
#include "clock/frmOrvane.h"
#include "doubles/fake_services.h"
#include "qt/qt_scheduler.h"
#include "qt/qt_services.h"
#include "qt/qt_timedated.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDateTime>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

namespace orvane {
namespace {

const QString Python = QStringLiteral("/usr/bin/python3");

// Runs the event loop until DONE holds or ten seconds pass.
bool waitFor(const std::function<bool()>& done) {
    QEventLoop loop;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    tick.start(20);
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    if (!done())
        loop.exec();
    return done();
}

class TimedatedTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (!QFile::exists(Python) || QProcess::execute(Python, {"-c", "import dbusmock"}) != 0 ||
            QStandardPaths::findExecutable("dbus-daemon").isEmpty())
            return;
        s_bus = new QProcess;
        s_bus->start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
        if (!s_bus->waitForReadyRead(10000))
            return;
        s_address = QString::fromUtf8(s_bus->readLine()).trimmed();

        // The template claims timedated's name on "the system bus", which is our private one.
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DBUS_SYSTEM_BUS_ADDRESS", s_address);
        env.insert("DBUS_SESSION_BUS_ADDRESS", s_address);
        s_mock = new QProcess;
        s_mock->setProcessEnvironment(env);
        s_mock->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        s_mock->start(Python, {"-m", "dbusmock", "--template", "timedated"});
        QDBusConnection probe = QDBusConnection::connectToBus(s_address, "orvane-test-probe");
        waitFor([&] {
            return probe.interface()->isServiceRegistered("org.freedesktop.timedate1").value();
        });
    }

    static void TearDownTestSuite() {
        QDBusConnection::disconnectFromBus("orvane-test-probe");
        for (QProcess* p : {s_mock, s_bus}) {
            if (!p)
                continue;
            p->kill();
            p->waitForFinished(5000);
            delete p;
        }
        s_mock = s_bus = nullptr;
    }

    void SetUp() override {
        if (s_address.isEmpty())
            GTEST_SKIP() << "python3-dbusmock and dbus-daemon are needed (scripts/install-deps)";
        ASSERT_TRUE(mock().interface()->isServiceRegistered("org.freedesktop.timedate1").value());
        mockCall("ClearCalls", {});
    }

    static QDBusConnection mock() { return QDBusConnection("orvane-test-probe"); }

    static QDBusMessage mockCall(const QString& method, const QVariantList& args) {
        QDBusMessage call = QDBusMessage::createMethodCall("org.freedesktop.timedate1",
                                                           "/org/freedesktop/timedate1",
                                                           "org.freedesktop.DBus.Mock", method);
        call.setArguments(args);
        return mock().call(call, QDBus::Block, 10000);
    }

    // Replaces the mock's SetTime with one that runs CODE (Python).
    static void replaceSetTime(const QString& code) {
        const QDBusMessage reply =
            mockCall("AddMethod", {"org.freedesktop.timedate1", "SetTime", "xbb", "", code});
        ASSERT_NE(reply.type(), QDBusMessage::ErrorMessage) << reply.errorMessage().toStdString();
    }

    // Sets the clock through the backend and waits for its answer.
    static std::optional<std::string> setClock(Clock& clock, DateTime when) {
        std::optional<std::string> answer;
        clock.setSystemDateTime(when, 0, [&](const std::string& refusal) { answer = refusal; });
        waitFor([&] { return answer.has_value(); });
        return answer;
    }

    // The arguments of every SetTime the mock received, as (usec, relative, interactive).
    static std::vector<std::tuple<qint64, bool, bool>> setTimeCalls() {
        const QDBusMessage reply = mockCall("GetMethodCalls", {"SetTime"});
        std::vector<std::tuple<qint64, bool, bool>> calls;
        const QDBusArgument list = reply.arguments().value(0).value<QDBusArgument>();
        list.beginArray();
        while (!list.atEnd()) {
            quint64 stamp = 0;
            QVariantList args;
            list.beginStructure();
            list >> stamp >> args;
            list.endStructure();
            calls.emplace_back(args.value(0).toLongLong(), args.value(1).toBool(),
                               args.value(2).toBool());
        }
        list.endArray();
        return calls;
    }

    static inline QProcess* s_bus = nullptr;
    static inline QProcess* s_mock = nullptr;
    static inline QString s_address;
};

TEST_F(TimedatedTest, DateAndTimeGoInOneAbsoluteInteractiveCall) {
    QtClock clock(s_address);
    const DateTime when = *DateTime::fromParts(2001, 5, 3, 13, 50, 0);
    EXPECT_EQ(setClock(clock, when), std::string());

    const QDateTime local(QDate(2001, 5, 3), QTime(13, 50, 0));
    const auto calls = setTimeCalls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(std::get<0>(calls[0]), local.toMSecsSinceEpoch() * 1000);
    EXPECT_FALSE(std::get<1>(calls[0])) << "the time is absolute, not relative";
    EXPECT_TRUE(std::get<2>(calls[0])) << "polkit may ask the user";
}

TEST_F(TimedatedTest, ARefusalComesBackInTheServicesOwnWords_AndASilenceAfterTheLimit) {
    replaceSetTime("raise dbus.exceptions.DBusException('Interactive authentication required.', "
                   "name='org.freedesktop.DBus.Error.InteractiveAuthorizationRequired')");
    QtClock clock(s_address);
    EXPECT_EQ(setClock(clock, *DateTime::fromParts(2001, 5, 3, 13, 50, 0)),
              "Interactive authentication required.");

    // A service that never answers: the limit is short here so the test does not wait long.
    replaceSetTime("import time; time.sleep(2)");
    QtClock impatient(s_address, 300);
    EXPECT_EQ(setClock(impatient, *DateTime::fromParts(2001, 5, 3, 13, 50, 0)),
              Timedated::NoAnswer);
}

TEST_F(TimedatedTest, ABusThatCannotBeReachedIsARefusal_AnsweredLater) {
    Timedated nowhere(QStringLiteral("unix:path=/nonexistent/orvane-test-bus"));
    std::optional<std::string> answer;
    nowhere.setTime(0, [&](const std::string& refusal) { answer = refusal; });
    EXPECT_FALSE(answer.has_value());
    ASSERT_TRUE(waitFor([&] { return answer.has_value(); }));
    EXPECT_FALSE(answer->empty());
}

// The whole road on the real backend: a preset asks the service for the launch time less ten
// minutes, and the answer reaches the program as an event of its own.
TEST_F(TimedatedTest, APresetAsksTheServiceAndTheAnswerComesBackAsAnEvent) {
    FakeWorld world;
    QtClock clock(s_address);
    QtScheduler scheduler;
    Services services{clock,      scheduler,     world.dialogs, world.settings,
                      world.help, world.process, world.files,   AppInfo{}};
    services.info.programDir = QDir::tempPath().toStdString();
    App app(services);
    frmOrvane& main = app.frmOrvane();
    const DateTime launch = clock.now().addSeconds(3600);
    main.control<Label>("lblTarget").setCaption(formatDate(launch, "mmmm d, yyyy   h:mm:ss AM/PM"));

    world.dialogs.queueAnswer(Answer::Yes);
    scheduler.deliver([&] { main.control<MenuItem>("mnuTminus10").click(); });
    EXPECT_EQ(main.control<Label>("lblRevertTime").tag(), "");
    ASSERT_TRUE(waitFor([&] { return main.control<Label>("lblRevertTime").tag() == "Chk"; }));

    const DateTime target = launch.addSeconds(-600);
    const QDateTime local(QDate(target.year(), target.month(), target.day()),
                          QTime(target.hour(), target.minute(), target.second()));
    const auto calls = setTimeCalls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(std::get<0>(calls[0]), local.toMSecsSinceEpoch() * 1000);
    EXPECT_FALSE(world.dialogs.failure());
}

} // namespace
} // namespace orvane
