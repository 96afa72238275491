// The real services: the one-copy guard, the settings store, dialogs, the clock and the
// scheduler's timers. Nothing here waits on the wall clock.

#include "doubles/fake_services.h"
#include "toolkit/form.h"
#include "qt/qt_scheduler.h"
#include "qt/qt_services.h"

#include <QApplication>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <cstdio>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace orvane::test {
namespace {

QByteArray uniqueInstanceName() {
    static int serial = 0;
    return "orvane-test-" + QByteArray::number(QCoreApplication::applicationPid()) + "-" +
           QByteArray::number(++serial);
}

TEST(QtProcessTest, OnlyOneCopyHoldsTheInstanceName_UntilItEnds) {
    qputenv("ORVANE_INSTANCE_NAME", uniqueInstanceName());
    auto first = std::make_unique<QtProcess>();
    EXPECT_TRUE(first->claimSingleInstance());
    QtProcess second;
    EXPECT_FALSE(second.claimSingleInstance()) << "another copy holds the name";
    first.reset();
    EXPECT_TRUE(second.claimSingleInstance()) << "the name is free the moment its holder goes";
    qunsetenv("ORVANE_INSTANCE_NAME");
}

TEST(QtProcessTest, RandomNumbersLieInTheUnitInterval) {
    QtProcess process;
    process.randomize();
    double lowest = 1, highest = 0;
    for (int i = 0; i < 1000; ++i) {
        const double r = process.random();
        ASSERT_GE(r, 0.0);
        ASSERT_LT(r, 1.0);
        lowest = std::min(lowest, r);
        highest = std::max(highest, r);
    }
    EXPECT_LT(lowest, 0.1);
    EXPECT_GT(highest, 0.9);
}

TEST(QtSettingsTest, ASavedValueIsReadBack_FromTheUsersOwnSettingsFolder) {
    QtSettings settings;
    EXPECT_EQ(settings.get("OrvaneTest", "Options", "Show Tips at Startup", "1"), "1");
    settings.save("OrvaneTest", "Options", "Show Tips at Startup", "0");
    EXPECT_EQ(QtSettings().get("OrvaneTest", "Options", "Show Tips at Startup", "1"), "0");
    EXPECT_TRUE(QFile::exists(qEnvironmentVariable("XDG_CONFIG_HOME") + "/Orvane/OrvaneTest.ini"));
}

// Earlier builds kept the remote displays' choice in a file of its own, named after the
// program's title: its keys move into the one settings file, once, without overwriting.
TEST(QtSettingsTest, AnOldSettingsFileMovesIntoTheOneFile_Once) {
    const QString folder = qEnvironmentVariable("XDG_CONFIG_HOME") + "/Orvane/";
    QtSettings settings;
    settings.save("MoveOld", "Remote Displays", "Serve", "1");
    settings.save("MoveOld", "Remote Displays", "Port", "9090");
    settings.save("moveold", "Options", "Show Tips at Startup", "1");
    settings.save("moveold", "Remote Displays", "Port", "8181");

    EXPECT_TRUE(QtSettings::moveOldFile("MoveOld", "moveold"));
    EXPECT_FALSE(QFile::exists(folder + "MoveOld.ini"));
    EXPECT_EQ(settings.get("moveold", "Remote Displays", "Serve", "0"), "1");
    EXPECT_EQ(settings.get("moveold", "Remote Displays", "Port", ""), "8181") << "kept as set";
    EXPECT_EQ(settings.get("moveold", "Options", "Show Tips at Startup", "0"), "1");

    EXPECT_FALSE(QtSettings::moveOldFile("MoveOld", "moveold")) << "nothing left to move";
    EXPECT_FALSE(QtSettings::moveOldFile("moveold", "moveold"));
    EXPECT_TRUE(QFile::exists(folder + "moveold.ini"));
}

TEST(QtDialogsTest, FileFiltersAreWrittenInQtsForm) {
    struct Case {
        const char* name;
        std::string filter;
        QString expected;
    };
    const Case cases[] = {
        {"launch data", "Orvane Files (*.ovx)|*.ovx", "Orvane Files (*.ovx)"},
        {"description without patterns", "Launch data|*.ovx", "Launch data (*.ovx)"},
        {"several filters, all files", "Text (*.txt)|*.txt|All Files (*.*)|*.*",
         "Text (*.txt);;All Files (*)"},
        {"several patterns", "Data|*.ovx;*.txt", "Data (*.ovx *.txt)"},
        {"none", "", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(QtDialogs::qtFilter(c.filter), c.expected) << c.name;
}

// Presses a button of the message box about to open, or closes it when none is named.
void answerNextBox(std::optional<QMessageBox::StandardButton> press) {
    QTimer::singleShot(0, [press] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(w);
            if (!box || !box->isVisible())
                continue;
            if (press)
                box->button(*press)->click();
            else
                box->close();
            return;
        }
        ADD_FAILURE() << "no message box opened";
        QCoreApplication::exit(1);
    });
}

TEST(QtDialogsTest, AMessageBoxAnswersWithTheButtonPressed_AndClosingItIsCancel) {
    struct Case {
        const char* name;
        Buttons buttons;
        std::optional<QMessageBox::StandardButton> press;
        Answer expected;
    };
    const Case cases[] = {
        {"OK", Buttons::OK, QMessageBox::Ok, Answer::OK},
        {"No", Buttons::YesNo, QMessageBox::No, Answer::No},
        {"Yes of three", Buttons::YesNoCancel, QMessageBox::Yes, Answer::Yes},
        {"closed OK/Cancel", Buttons::OKCancel, std::nullopt, Answer::Cancel},
    };
    for (const Case& c : cases) {
        answerNextBox(c.press);
        EXPECT_EQ(QtDialogs().messageBox("Go on?", c.buttons, Icon::Question, "Orvane"), c.expected)
            << c.name;
    }
}

TEST(QtClockTest, NowIsTheLocalTimeToTheSecond) {
    auto stamp = [](const QDateTime& t) {
        return *DateTime::fromParts(t.date().year(), t.date().month(), t.date().day(),
                                    t.time().hour(), t.time().minute(), t.time().second());
    };
    QtClock clock;
    const DateTime before = stamp(QDateTime::currentDateTime());
    const DateTime now = clock.now();
    const DateTime after = stamp(QDateTime::currentDateTime());
    EXPECT_LE(before, now);
    EXPECT_LE(now, after);
}

// The computer's zone is read afresh, so the TZ a user sets names the zone the clock shows.
TEST(QtClockTest, TheClockCountsRealSecondsAndShowsThemInTheComputersZone) {
    const QByteArray saved = qgetenv("TZ");
    qputenv("TZ", "America/New_York");
    QtClock clock;
    const std::int64_t before = QDateTime::currentSecsSinceEpoch();
    const Instant now = clock.instant();
    const std::int64_t after = QDateTime::currentSecsSinceEpoch();
    EXPECT_LE(before, now.unixSeconds());
    EXPECT_LE(now.unixSeconds(), after);
    EXPECT_EQ(clock.zone().name(), "America/New_York");
    // A zone set while the program runs shows from the clock's next second.
    qputenv("TZ", "Europe/Berlin");
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (clock.instant() == now && std::chrono::steady_clock::now() < until) {
    }
    EXPECT_EQ(clock.zone().name(), "Europe/Berlin");
    if (saved.isNull())
        qunsetenv("TZ");
    else
        qputenv("TZ", saved);
}

// The zone's files are watched by the kernel rather than looked at every second: a zone set
// by rewriting /etc/timezone or by putting a new link in place of /etc/localtime is told, what
// else happens in the folder is not.
TEST(QtClockTest, AChangeOfTheZonesFilesIsToldAndNothingElse) {
    QTemporaryDir etc;
    const QString folder = etc.path();
    ZoneFilesWatch watch(folder.toStdString());
    ASSERT_TRUE(watch.watching());
    EXPECT_FALSE(watch.changed());
    auto write = [&](const QString& name, const QByteArray& text) {
        QFile file(folder + "/" + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    };
    write("hostname", "orbiter\n");
    EXPECT_FALSE(watch.changed());
    write("timezone", "Europe/Berlin\n");
    EXPECT_TRUE(watch.changed());
    EXPECT_FALSE(watch.changed()) << "told once";
    ASSERT_TRUE(QFile::link("/usr/share/zoneinfo/Asia/Tokyo", folder + "/localtime.new"));
    EXPECT_FALSE(watch.changed());
    ASSERT_EQ(::rename(QFile::encodeName(folder + "/localtime.new").constData(),
                       QFile::encodeName(folder + "/localtime").constData()),
              0);
    EXPECT_TRUE(watch.changed());
    // The folder gone, the files are looked at every second instead.
    ASSERT_TRUE(etc.remove());
    EXPECT_TRUE(watch.changed());
    EXPECT_FALSE(watch.watching());
    ZoneFilesWatch nowhere("/nonexistent/orvane-etc");
    EXPECT_FALSE(nowhere.watching());
    EXPECT_FALSE(nowhere.changed());
}

class QtSchedulerTest : public ::testing::Test {
  protected:
    FakeWorld world;
    QtScheduler scheduler;
    Services services{world.clock, scheduler,     world.dialogs, world.settings,
                      world.help,  world.process, world.files,   AppInfo{}};
    Form form{services, "frmTimers"};
};

TEST_F(QtSchedulerTest, ASlowTimerRunsOnAQtTimerThatFollowsItsIntervalAndEnabled) {
    Timer timer{&form, "tmrSlow", 500, true};
    EXPECT_EQ(scheduler.ownTimer(timer), nullptr) << "a timer with nothing to do costs nothing";
    timer.onTimer = [] {};
    const QTimer* q = scheduler.ownTimer(timer);
    ASSERT_TRUE(q);
    EXPECT_TRUE(q->isActive());
    EXPECT_EQ(q->interval(), 500);
    timer.setInterval(250);
    EXPECT_EQ(q->interval(), 250);
    timer.setEnabled(false);
    EXPECT_FALSE(q->isActive());
    timer.setEnabled(true);
    EXPECT_TRUE(q->isActive());
    timer.setInterval(1);
    EXPECT_EQ(scheduler.ownTimer(timer), nullptr) << "now a fast timer";
}

TEST_F(QtSchedulerTest, TheWakeUpAtTheNextSecondIsSetOnlyWhileATimerOfTheRoundsHasWork) {
    EXPECT_FALSE(scheduler.wakesAtNextSecond());
    Timer fast{&form, "tmrFast", 1, true};
    EXPECT_FALSE(scheduler.wakesAtNextSecond());
    fast.onTimer = [] {};
    EXPECT_TRUE(scheduler.wakesAtNextSecond());
    fast.setEnabled(false);
    EXPECT_FALSE(scheduler.wakesAtNextSecond());

    // A count paced by the second needs the same one wake-up and no Qt timer of its own.
    Timer paced{&form, "tmrPaced", 243, true};
    paced.onTimer = [] {};
    ASSERT_TRUE(scheduler.ownTimer(paced));
    paced.setPace(Timer::Pace::Second);
    EXPECT_EQ(scheduler.ownTimer(paced), nullptr);
    EXPECT_TRUE(scheduler.wakesAtNextSecond());
    paced.setEnabled(false);
    EXPECT_FALSE(scheduler.wakesAtNextSecond()) << "no live timer: nothing wakes the program";
    EXPECT_EQ(paced.interval(), 243);
}

TEST_F(QtSchedulerTest, WorkArisingOutsideAnyEventRunsAsSoonAsTheEventLoopTurns) {
    bool posted = false;
    scheduler.post([&] { posted = true; });
    int ticks = 0;
    Timer fast{&form, "tmrFast", 1, true};
    fast.onTimer = [&] { ++ticks; };
    EXPECT_FALSE(posted);
    EXPECT_EQ(ticks, 0);
    QCoreApplication::processEvents();
    EXPECT_TRUE(posted);
    EXPECT_GE(ticks, 1) << "a fast timer ticks at once, not only at the next second";
}

// When the second turns, its round shows the count before anything that listens to the round
// or was handed on by it runs: the count is painted as soon as its timers have set it.
TEST_F(QtSchedulerTest, TheSecondsRoundShowsTheCountBeforeItsListenersRun) {
    std::vector<std::string> order;
    Timer count{&form, "tmrCount", 1000, true};
    count.setPace(Timer::Pace::Second);
    count.onTimer = [&] {
        order.push_back("tick");
        scheduler.post([&] { order.push_back("handed on"); });
    };
    scheduler.onRoundDone = [&] { order.push_back("listeners"); };
    scheduler.afterSecond = [&] { order.push_back("shown"); };
    // Rounds run at once for the timer that was just made; the second's comes within a second.
    QCoreApplication::processEvents();
    order.clear();
    QDeadlineTimer deadline(3000);
    while (std::find(order.begin(), order.end(), "shown") == order.end() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    scheduler.onRoundDone = nullptr;
    scheduler.afterSecond = nullptr;
    // Rounds after other events, if any, show nothing of their own.
    const auto shown = std::find(order.begin(), order.end(), "shown");
    ASSERT_NE(shown, order.end()) << "no second turned in three seconds";
    ASSERT_GE(shown - order.begin(), 1);
    ASSERT_GE(order.end() - shown, 3);
    EXPECT_EQ(std::vector<std::string>(shown - 1, shown + 3),
              (std::vector<std::string>{"tick", "shown", "listeners", "handed on"}));
}

} // namespace
} // namespace orvane::test
