// Every window of the program as a person sees it, in a real X server: the whole App on the
// fakes' clock and scheduler, drawn by the real Qt view, driven through its windows the way a
// user's clicks would drive it, with a screenshot of each window at each step.
//   orvane_screens OUTPUT_FOLDER        (run inside scripts/xvfb-run-test)

#include "app.h"
#include "clock/frmOrvane.h"
#include "events/frmEventTimers.h"
#include "journal/frmDebrief.h"
#include "journal/journal_records.h"
#include "doubles/fake_services.h"
#include "qt/qt_journal.h"
#include "qt/qt_services.h"
#include "qt/qt_view.h"
#include "qt/qt_widgets.h"
#include "shell/basOrvaneLoad.h"
#include "shell/frmSplash.h"
#include "shell/frmTips.h"
#include "simtime/frmWizardPlusMinus.h"
#include "simtime/frmWizardTime.h"
#include "version.h"
#include "wizard/frmETWIZChoice.h"
#include "wizard/frmETWIZDate.h"
#include "wizard/frmETWIZLabel.h"
#include "wizard/frmETWIZMET.h"
#include "wizard/frmETWIZNumber.h"
#include "wizard/frmETWIZPlus.h"
#include "wizard/frmRemoveEvent.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QSet>
#include <QStyle>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QWidget>
#include <QWindow>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace orvane {
namespace {

[[noreturn]] void fail(const std::string& why) {
    std::fprintf(stderr, "screens: FAILED: %s\n", why.c_str());
    std::exit(1);
}

class Screens {
  public:
    Screens(QString out) : m_out(std::move(out)), world(info()), app(world.services), view(app) {
        app.setObserver(&view);
    }
    ~Screens() { app.setObserver(nullptr); }

    void run();

  private:
    static AppInfo info() {
        AppInfo i;
        i.title = "Orvane";
        i.exeName = "orvane";
        i.programDir = QDir::tempPath().toStdString();
        i.major = version::major;
        i.minor = version::minor;
        i.revision = version::revision;
        i.platform = version::platform;
        i.projectAddress = version::projectAddress;
        return i;
    }

    template <class T> T& page(const char* name) {
        Form* f = app.form(name);
        if (!f)
            fail(std::string("no window ") + name);
        return static_cast<T&>(*f);
    }
    frmEventTimers& board() { return app.frmEventTimers(); }

    // A click as a person makes it: refused by a control that takes no input.
    void click(Control& c) {
        if (!c.acceptsInput())
            fail("a person could not click " + c.form().name() + "." + c.displayName());
        world.scheduler.deliver([&] { c.click(); });
        settle();
    }
    void type(Control& c, const std::string& text) {
        if (!c.acceptsInput())
            fail("a person could not type into " + c.form().name() + "." + c.displayName());
        world.scheduler.deliver([&] {
            if (!c.userSet(text).ok)
                fail("refused typing into " + c.displayName());
        });
        settle();
    }
    void advance(int ms) {
        world.scheduler.advance(ms);
        settle();
    }
    // Lets the view catch up with what the program changed, and deletes unloaded windows.
    static void settle() {
        for (int round = 0; round < 3; ++round) {
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QCoreApplication::processEvents();
        }
    }

    void shot(const Form& form, const char* file);
    static void checkNothingClipped(const QWidget& top, const char* file);
    void shotWidget(QWidget* top, const char* file);
    void shellWindows();
    void shotScreen(const char* file);
    void shotMenu(MenuItem& menu, const char* file);
    void shotMessage(const char* file);
    void shotSimWizard();
    void defineEvent(int n, const std::string& name, bool minus, int hours, int minutes);
    void shotDebrief(frmOrvane& main);
    void shotClockHealth(frmOrvane& main);

    QString m_out;
    FakeWorld world;
    App app;
    QtView view;
    MemoryJournalStore journal;
    QtDebriefCanvas canvas{view};
    JournalKeeper keeper{app, journal, canvas};
};

// Every control in sight lies wholly inside the window, and every one-line text fits its control,
// at whatever scale the screen runs (QT_SCALE_FACTOR).
void Screens::checkNothingClipped(const QWidget& top, const char* file) {
    const QRect inside = top.rect();
    for (const QWidget* w : top.findChildren<QWidget*>()) {
        // The program's controls carry their names; Qt's own parts of a control ("qt_...")
        // are Qt's to lay out.
        const QString name = w->objectName();
        if (!w->isVisibleTo(&top) || w->isWindow() || name.isEmpty() || name.startsWith("qt_"))
            continue;
        const QRect area(w->mapTo(&top, QPoint(0, 0)), w->size());
        // The compact screen is the full screen's window made small: what lies wholly beyond
        // its edge is out of sight by design, but nothing may be cut in two by it.
        if (!inside.intersects(area))
            continue;
        if (!inside.contains(area))
            fail(w->objectName().toStdString() + " reaches outside its window in " + file);
        QString text;
        int room = w->width();
        if (const auto* label = qobject_cast<const QLabel*>(w); label && !label->wordWrap()) {
            text = label->text();
            room = label->contentsRect().width();
        } else if (const auto* button = qobject_cast<const QAbstractButton*>(w)) {
            text = button->text();
            // A check box or option button draws its mark before the text.
            if (!qobject_cast<const QPushButton*>(w))
                room -= w->style()->pixelMetric(QStyle::PM_IndicatorWidth) +
                        w->style()->pixelMetric(QStyle::PM_CheckBoxLabelSpacing);
        }
        text.remove(u'&');
        if (!text.isEmpty() && !text.contains(u'\n') &&
            w->fontMetrics().horizontalAdvance(text) > room)
            fail(w->objectName().toStdString() + "'s text \"" + text.toStdString() +
                 "\" is cut off in " + file);
    }
}

// A screenshot of one window as it stands on the screen, checked for being drawn at all.
void Screens::shot(const Form& form, const char* file) {
    QWidget* top = view.window(form);
    if (!top || !top->isVisible())
        fail(form.name() + " is not on the screen for " + file);
    shotWidget(top, file);
}

// A screenshot of a top-level window, checked for being drawn at all.
void Screens::shotWidget(QWidget* top, const char* file) {
    if (!top || !top->isVisible())
        fail(std::string("no window on the screen for ") + file);
    const QDeadlineTimer deadline(5000);
    while (!top->windowHandle()->isExposed() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(10);
    }
    if (!top->windowHandle()->isExposed())
        fail(std::string(file) + ": the window was never exposed");
    checkNothingClipped(*top, file);
    // Whatever the scale, a window lies wholly on its screen, its last row included.
    if (const QScreen* screen = top->screen();
        screen && !screen->geometry().contains(top->frameGeometry()))
        fail(std::string(file) + ": the window reaches past its screen");
    const QImage image = top->grab().toImage();
    QSet<QRgb> colours;
    for (int y = 0; y < image.height(); y += 2)
        for (int x = 0; x < image.width(); x += 2)
            colours.insert(image.pixel(x, y));
    if (colours.size() < 3)
        fail(std::string(file) + " is blank");
    if (!image.save(m_out + '/' + file))
        fail(std::string("could not save ") + file);
    std::printf("screens: %s (%dx%d)\n", file, image.width(), image.height());
}

// The whole X screen, with every window as the server shows it.
void Screens::shotScreen(const char* file) {
    // The server paints windows it has just mapped a moment later than the program asks.
    const QDeadlineTimer painted(300);
    while (!painted.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(10);
    }
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen || !screen->grabWindow(0).save(m_out + '/' + file))
        fail(std::string("could not save ") + file);
    std::printf("screens: %s (the whole screen)\n", file);
}

// A menu of a window, opened below the window's top-left corner as its menu bar would.
void Screens::shotMenu(MenuItem& item, const char* file) {
    QMenu* menu = view.menu(item);
    QWidget* top = view.window(item.form());
    if (!menu || !top)
        fail("no menu for " + item.displayName());
    menu->popup(top->mapToGlobal(QPoint(0, 0)));
    settle();
    const QImage image = menu->grab().toImage();
    menu->close();
    settle();
    if (image.isNull() || !image.save(m_out + '/' + file))
        fail(std::string("could not save ") + file);
    std::printf("screens: %s (menu %s)\n", file, item.displayName().c_str());
}

// The program's message boxes are the real binding's; one of them, as the wizard asks.
void Screens::shotMessage(const char* file) {
    QtDialogs dialogs;
    bool saved = false;
    QTimer::singleShot(100, [&] {
        QWidget* box = QApplication::activeModalWidget();
        if (!box)
            return;
        saved = box->grab().save(m_out + '/' + file);
        box->close();
    });
    dialogs.messageBox("This will erase any data in the 'Event #1' Event Timer.", Buttons::OKCancel,
                       Icon::Exclamation, "Orvane");
    if (!saved)
        fail(std::string("could not save ") + file);
    std::printf("screens: %s (a message box)\n", file);
}

// Adds event N by mission elapsed time from the board's Add Event button.
void Screens::defineEvent(int n, const std::string& name, bool minus, int hours, int minutes) {
    click(board().control<CommandButton>("cmdAdd"));
    auto& number = page<frmETWIZNumber>("frmETWIZNumber");
    click(number.optNumber[n]);
    world.dialogs.queueAnswer(Answer::OK);
    click(number.cmdNext);
    auto& label = page<frmETWIZLabel>("frmETWIZLabel");
    type(label.txtName, name);
    click(label.cmdNext);
    auto& choice = page<frmETWIZChoice>("frmETWIZChoice");
    click(choice.optMET);
    click(choice.cmdNext);
    auto& plus = page<frmETWIZPlus>("frmETWIZPlus");
    click(minus ? plus.optTMinus : plus.optTPlus);
    click(plus.cmdNext);
    auto& met = page<frmETWIZMET>("frmETWIZMET");
    type(met.mission.vsbHoursSim, std::to_string(hours));
    type(met.mission.vsbMinutesSim, std::to_string(minutes));
    click(met.cmdEnter);
    if (app.isLoaded("frmETWIZNumber"))
        fail("the wizard stayed open after Enter");
}

// The tip of the day on a tip of the shipped file and without a file, About, Technical
// Support, and the help viewer on two of its pages.
void Screens::shellWindows() {
    frmOrvane& main = app.frmOrvane();
    QTemporaryDir withTips;
    QTemporaryDir withoutTips;
    if (!QFile::copy(QStringLiteral(ORVANE_TIPS_FILE), withTips.filePath(TipsFileName)))
        fail("could not copy the tips file");
    app.services().info.programDir = withTips.path().toStdString();
    world.process.seed(3);
    world.dialogs.queueAnswer(Answer::Yes);
    click(main.control<MenuItem>("mnuTips"));
    auto& tips = page<frmTips>("frmTips");
    shot(tips, "screen-tips.png");
    click(tips.cmdOK);
    app.services().info.programDir = withoutTips.path().toStdString();
    click(main.control<MenuItem>("mnuTips"));
    world.dialogs.queueAnswer(Answer::Yes);
    click(main.control<MenuItem>("mnuTips"));
    shot(page<frmTips>("frmTips"), "screen-tips-missing.png");
    click(page<frmTips>("frmTips").cmdOK);
    shotMenu(main.control<MenuItem>("mnuHelp"), "screen-main-menu-help.png");

    click(main.control<MenuItem>("mnuAbout"));
    shot(*app.form("frmAbout"), "screen-about.png");
    click(main.control<MenuItem>("mnuTechSupport"));
    shot(*app.form("frmTechSupport"), "screen-tech-support.png");

    QtHelp help;
    help.showTopic("ovproj.chm", "orvhlp\\main.htm");
    settle();
    shotWidget(help.viewers().value(0), "screen-help.png");
    help.showTopic("ovproj.chm", "orvhlp\\file-format.htm");
    settle();
    shotWidget(help.viewers().value(0), "screen-help-file-format.png");
}

// The Manual Sim Time Wizard's two pages, left by Cancel.
void Screens::shotSimWizard() {
    click(app.frmOrvane().control<MenuItem>("mnuManualSet"));
    auto& choice = page<frmWizardPlusMinus>("frmWizardPlusMinus");
    shot(choice, "screen-sim-wizard-1-t-minus.png");
    click(choice.optTPlus);
    shot(choice, "screen-sim-wizard-1-t-plus.png");
    click(choice.cmdNext);
    auto& time = page<frmWizardTime>("frmWizardTime");
    type(time.mission.vsbDaysSim, "1");
    type(time.mission.vsbMinutesSim, "30");
    shot(time, "screen-sim-wizard-2-time.png");
    click(time.cmdCancel);
    if (app.isLoaded("frmWizardTime") || !app.frmOrvane().acceptsInput())
        fail("Cancel did not end the sim time wizard");
}

// The Debrief window over a rehearsal's journal, and the status bar telling of a journal that
// cannot be written.
void Screens::shotDebrief(frmOrvane& main) {
    for (JournalRecord r : test::rehearsal())
        journal.record(std::move(r));
    click(main.control<MenuItem>("mnuDebrief"));
    auto* debrief = app.loaded<frmDebrief>();
    if (!debrief)
        fail("File, Debrief . . . did not open the Debrief window");
    shot(*debrief, "screen-debrief.png");
    click(debrief->cmdClose);
    main.ShowJournalNote("Journal: not recorded", "The mission journal cannot be kept.");
    settle();
    shot(main, "screen-main-journal-note.png");
    main.ShowJournalNote("", "");
}

// The clock's health in the status bar: kept synchronised, with the widest figure the kernel
// gives (it counts a clock 16 s off as not kept at all), and in amber when it is not kept.
void Screens::shotClockHealth(frmOrvane& main) {
    ClockHealth health;
    health.sync = ClockHealth::Sync::Synchronised;
    health.maxErrorMs = 15999;
    world.clockHealth.set(health);
    settle();
    shot(main, "screen-main-clock-synchronised.png");
    world.clockHealth.set(ClockHealth{ClockHealth::Sync::NotSynchronised, std::nullopt});
    settle();
    shot(main, "screen-main-clock-not-synchronised.png");
    world.clockHealth.set(ClockHealth{});
    settle();
}

void Screens::run() {
    world.clock.set(*DateTime::fromParts(2001, 5, 3, 10, 15, 0));
    world.scheduler.deliver([this] { Main(app); });
    settle();
    frmOrvane& main = app.frmOrvane();
    shot(app.frmSplash(), "screen-splash.png");
    // The main window waits behind the splash, refusing input but drawn as it will be.
    shotScreen("screen-startup.png");
    advance(3000);
    if (app.isLoaded("frmSplash"))
        fail("the splash did not close");
    advance(1000);
    shot(main, "screen-main-compact.png");

    click(main.control<CommandButton>("cmdAccess"));
    shot(main, "screen-main-full.png");
    shotMenu(main.control<MenuItem>("mnuSettings"), "screen-main-menu-settings.png");
    shotMenu(main.control<MenuItem>("mnuSimTime"), "screen-main-menu-sim-time.png");
    shotSimWizard();
    shotDebrief(main);
    shotClockHealth(main);
    click(main.control<CommandButton>("cmdAccess"));

    click(main.control<CommandButton>("cmdShowTimers"));
    advance(1000);
    shot(board(), "screen-board.png");
    shotMenu(board().control<MenuItem>("mnuEdit"), "screen-board-menu-settings.png");
    shotMenu(board().control<MenuItem>("mnuPopUp"), "screen-board-menu-right-click.png");
    shotMessage("screen-message.png");

    // The six pages of one event's road, the T page in both of its colours.
    click(board().control<CommandButton>("cmdAdd"));
    auto& number = page<frmETWIZNumber>("frmETWIZNumber");
    shot(number, "screen-wizard-1-number.png");
    world.dialogs.queueAnswer(Answer::OK);
    click(number.cmdNext);
    auto& label = page<frmETWIZLabel>("frmETWIZLabel");
    type(label.txtName, "Fuel");
    shot(label, "screen-wizard-2-name.png");
    click(label.cmdNext);
    auto& choice = page<frmETWIZChoice>("frmETWIZChoice");
    shot(choice, "screen-wizard-3-choice.png");
    click(choice.cmdNext);
    auto& plus = page<frmETWIZPlus>("frmETWIZPlus");
    shot(plus, "screen-wizard-4-t-plus.png");
    click(plus.optTMinus);
    shot(plus, "screen-wizard-4-t-minus.png");
    click(plus.cmdNext);
    auto& met = page<frmETWIZMET>("frmETWIZMET");
    type(met.mission.vsbMinutesSim, "10");
    shot(met, "screen-wizard-5-mission-time.png");
    click(met.cmdBack);
    click(plus.cmdBack);
    click(choice.optClock);
    click(choice.cmdNext);
    auto& date = page<frmETWIZDate>("frmETWIZDate");
    shot(date, "screen-wizard-6-date.png");
    click(date.cmdCancel);
    if (app.isLoaded("frmETWIZNumber") || !board().acceptsInput())
        fail("Cancel did not end the wizard");

    defineEvent(0, "Fuel", true, 0, 10);
    defineEvent(1, "Liftoff plus one", false, 1, 0);
    defineEvent(2, "Terminal count", true, 0, 5);
    defineEvent(3, "Orbit", false, 0, 45);
    click(board().control<CommandButton>("cmdSeqEvents"));
    advance(1000);
    shot(board(), "screen-board-sequenced.png");

    click(board().control<CommandButton>("cmdRemove"));
    auto& remove = page<frmRemoveEvent>("frmRemoveEvent");
    click(remove.optNumber[3]);
    shot(remove, "screen-remove-event.png");
    click(remove.cmdCancel);

    shotScreen("screen-all.png");
    shellWindows();
    if (world.dialogs.failure())
        fail(*world.dialogs.failure());
}

} // namespace
} // namespace orvane

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    QApplication qapp(argc, argv);
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        orvane::fail("needs an X server (the xcb platform), not " +
                     QGuiApplication::platformName().toStdString());
    QApplication::setQuitOnLastWindowClosed(false);
    orvane::useDefaultFont();
    const QString out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(out);
    // Screenshots of an earlier run must not pass for this one's.
    QDir folder(out);
    for (const QString& old : folder.entryList({QStringLiteral("screen-*.png")}, QDir::Files))
        folder.remove(old);
    orvane::Screens screens(out);
    screens.run();
    std::printf("screens: passed; screenshots in %s\n", argv[1]);
    return 0;
}
