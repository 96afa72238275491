// The clock's health read from systemd-timedated over D-Bus, against python3-dbusmock's
// timedated template on a private bus of this test's own, and shown in the main window's
// status bar. The machine's clock and its system bus are never touched.

#include "app.h"
#include "clock/frmOrvane.h"
#include "colors.h"
#include "doubles/fake_services.h"
#include "qt/qt_clock_health.h"
#include "qt/qt_scheduler.h"
#include "qt/qt_services.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>

namespace orvane {
namespace {

const QString Python = QStringLiteral("/usr/bin/python3");
const QString Timedate = QStringLiteral("org.freedesktop.timedate1");

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

bool toolsThere() {
    return QFile::exists(Python) && !QStandardPaths::findExecutable("dbus-daemon").isEmpty() &&
           QProcess::execute(Python, {"-c", "import dbusmock"}) == 0;
}

// A bus of the test's own, with the timedated mock on it when asked for; both end with it.
class PrivateBus {
  public:
    PrivateBus(bool withTimedated, QString name) : m_name(std::move(name)) {
        m_bus.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
        if (!m_bus.waitForReadyRead(10000))
            return;
        address = QString::fromUtf8(m_bus.readLine()).trimmed();
        if (!withTimedated)
            return;
        // The template claims timedated's name on "the system bus", which is this one.
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DBUS_SYSTEM_BUS_ADDRESS", address);
        env.insert("DBUS_SESSION_BUS_ADDRESS", address);
        m_mock.setProcessEnvironment(env);
        m_mock.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_mock.start(Python, {"-m", "dbusmock", "--template", "timedated"});
        waitFor([&] { return probe().interface()->isServiceRegistered(Timedate).value(); });
    }
    ~PrivateBus() {
        QDBusConnection::disconnectFromBus(m_name);
        for (QProcess* p : {&m_mock, &m_bus}) {
            p->kill();
            p->waitForFinished(5000);
        }
    }
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    // The test's own connection to the bus, to work the mock with.
    QDBusConnection probe() { return QDBusConnection::connectToBus(address, m_name); }
    bool hasTimedated() {
        return !address.isEmpty() && probe().interface()->isServiceRegistered(Timedate).value();
    }

    // Sets the mock's NTPSynchronized, as the clock service would on synchronising.
    QDBusMessage setSynchronised(bool synchronised) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            Timedate, "/org/freedesktop/timedate1", "org.freedesktop.DBus.Properties", "Set");
        call << Timedate << QStringLiteral("NTPSynchronized")
             << QVariant::fromValue(QDBusVariant(synchronised));
        return probe().call(call, QDBus::Block, 10000);
    }

    QString address;

  private:
    QString m_name;
    QProcess m_bus;
    QProcess m_mock;
};

class ClockHealthDbus : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (toolsThere())
            s_bus = new PrivateBus(true, "orvane-test-health-probe");
    }
    static void TearDownTestSuite() {
        delete s_bus;
        s_bus = nullptr;
    }
    void SetUp() override {
        if (!s_bus)
            GTEST_SKIP() << "python3-dbusmock and dbus-daemon are needed (scripts/install-deps)";
        ASSERT_TRUE(s_bus->hasTimedated());
        const QDBusMessage reply = s_bus->setSynchronised(true);
        ASSERT_NE(reply.type(), QDBusMessage::ErrorMessage) << reply.errorMessage().toStdString();
    }

    // Asks once and waits for the answer.
    static void readOnce(QtClockHealth& health) {
        health.read();
        ASSERT_TRUE(health.reading());
        ASSERT_TRUE(waitFor([&] { return !health.reading(); })) << "no answer came";
    }

    static inline PrivateBus* s_bus = nullptr;
};

// The kernel's figure is given in the tests, since this machine's clock may be kept or not.
std::optional<std::int64_t> sevenMs() {
    return 7;
}

TEST_F(ClockHealthDbus, TheServicesWordIsReadAndShown_SynchronisedOrNot) {
    FakeWorld world;
    QtClock clock(s_bus->address);
    QtScheduler scheduler;
    QtClockHealth source(scheduler, s_bus->address, 10000, sevenMs);
    Services services{clock,      scheduler,     world.dialogs, world.settings,
                      world.help, world.process, world.files,   AppInfo{}};
    services.info.programDir = QDir::tempPath().toStdString();
    services.clockHealth = &source;
    App app(services);
    frmOrvane& main = app.frmOrvane();
    StatusPanel& panel = *main.control<StatusBar>("sbrStatusBar").panel("pnlClockHealth");
    EXPECT_FALSE(panel.visible());

    readOnce(source);
    EXPECT_EQ(app.clockHealth(), (ClockHealth{ClockHealth::Sync::Synchronised, 7}));
    EXPECT_EQ(main.clockHealth(), app.clockHealth());
    EXPECT_TRUE(panel.visible());
    EXPECT_EQ(panel.text(), "Clock synchronised (+-7 ms)");
    EXPECT_EQ(panel.backColor(), ButtonFace);

    ASSERT_NE(s_bus->setSynchronised(false).type(), QDBusMessage::ErrorMessage);
    readOnce(source);
    EXPECT_EQ(main.clockHealth().sync, ClockHealth::Sync::NotSynchronised);
    EXPECT_EQ(panel.text(), "Clock not synchronised");
    EXPECT_EQ(panel.backColor(), Amber);
    EXPECT_FALSE(world.dialogs.failure());
}

// Whatever this machine's kernel says of its clock, the service's word stands, and a figure,
// when the kernel gives one, is a whole number of milliseconds, never below zero.
TEST_F(ClockHealthDbus, TheKernelsOwnFigureGoesWithTheServicesWord) {
    QtScheduler scheduler;
    QtClockHealth source(scheduler, s_bus->address);
    readOnce(source);
    EXPECT_EQ(source.current().sync, ClockHealth::Sync::Synchronised);
    EXPECT_EQ(source.current().maxErrorMs.has_value(),
              QtClockHealth::kernelMaxErrorMs().has_value());
    EXPECT_GE(source.current().maxErrorMs.value_or(0), 0);
}

TEST_F(ClockHealthDbus, AskedOnceAMinute_NeverTwiceAtOnce) {
    QtScheduler scheduler;
    QtClockHealth source(scheduler, s_bus->address, 10000, sevenMs);
    source.readWhenDue(5000);
    EXPECT_TRUE(source.reading());
    // A question is out: asking again adds none.
    source.read();
    ASSERT_TRUE(waitFor([&] { return !source.reading(); }));
    source.readWhenDue(5000 + QtClockHealth::ReadEveryMs - 1);
    EXPECT_FALSE(source.reading());
    source.readWhenDue(5000 + QtClockHealth::ReadEveryMs);
    EXPECT_TRUE(source.reading());
    ASSERT_TRUE(waitFor([&] { return !source.reading(); }));
}

// A bus without the clock service, and a bus that cannot be reached: the health stays
// unknown (nothing is shown), the answer comes later all the same, and nothing hangs.
TEST_F(ClockHealthDbus, NoClockServiceLeavesTheHealthUnknown) {
    PrivateBus bare(false, "orvane-test-health-bare");
    ASSERT_FALSE(bare.address.isEmpty());
    QtScheduler scheduler;
    int told = 0;
    QtClockHealth lonely(scheduler, bare.address, 10000, sevenMs);
    lonely.onChange([&](const ClockHealth&) { ++told; });
    readOnce(lonely);
    EXPECT_EQ(lonely.current(), ClockHealth{});
    EXPECT_EQ(clockHealthText(lonely.current()), "");

    QtClockHealth nowhere(scheduler, QStringLiteral("unix:path=/nonexistent/orvane-test-bus"),
                          10000, sevenMs);
    nowhere.onChange([&](const ClockHealth&) { ++told; });
    readOnce(nowhere);
    EXPECT_EQ(nowhere.current(), ClockHealth{});
    // Unknown from the start, unknown after: no change to tell.
    EXPECT_EQ(told, 0);
    // Asked again, it tries the bus afresh and answers again.
    readOnce(nowhere);
    EXPECT_EQ(nowhere.current(), ClockHealth{});
}

} // namespace
} // namespace orvane
