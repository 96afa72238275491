#include "qt/qt_program.h"

#include "app.h"
#include "clock/frmOrvane.h"
#include "qt/command_line.h"
#include "qt/qt_clock_health.h"
#include "qt/qt_displays.h"
#include "follow/mqtt_address.h"
#include "qt/follow_setup.h"
#include "qt/qt_drive.h"
#include "qt/qt_journal.h"
#include "qt/qt_scheduler.h"
#include "qt/qt_services.h"
#include "qt/qt_sound_client.h"
#include "qt/qt_view.h"
#include "qt/qt_widgets.h"
#include "qt/qt_x11.h"
#include "qt/remote/remote_server.h"
#include "qt/remote/remote_setup.h"
#include "remote/remote_access.h"
#include "remote/remote_state.h"
#include "shell/basOrvaneLoad.h"
#include "version.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QIcon>

#include <cctype>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

namespace orvane {

namespace {

// What the program knows of itself before anything touches a display.
AppInfo programInfo(int argc, char** argv) {
    AppInfo info;
    info.title = "Orvane";
    info.exeName = QFileInfo(QString::fromLocal8Bit(argv[0])).completeBaseName().toStdString();
    info.major = version::major;
    info.minor = version::minor;
    info.revision = version::revision;
    info.platform = version::platform;
    info.projectAddress = version::projectAddress;
    info.arguments.assign(argv + 1, argv + argc);
    return info;
}

// The benchmark compares the timer policy with the intervals read literally.
QtScheduler::Timing schedulerTiming() {
    const char* timing = std::getenv("ORVANE_SCHEDULER");
    return timing && std::string_view(timing) == "literal" ? QtScheduler::Timing::Literal
                                                           : QtScheduler::Timing::Policy;
}

// Whether --serve, when given, names an address the remote displays can listen on; if not,
// says why on standard error.
bool serveAddressAccepted(const AppInfo& info) {
    std::string error;
    std::string option;
    if (info.serve && !parseServeAddress(*info.serve, error))
        option = "--serve " + *info.serve;
    for (const std::string& name : info.serveNames)
        if (option.empty() && !checkServeName(name, error))
            option = "--serve-name " + name;
    if (option.empty())
        return true;
    if (error.ends_with('.'))
        error.pop_back();
    if (!error.empty())
        error.front() = char(std::tolower(static_cast<unsigned char>(error.front())));
    std::cerr << info.exeName << ": " << option << ": " << error << "; see '" << info.exeName
              << " --help'.\n";
    return false;
}

// Whether --publish and --follow, when given, are addresses of a broker and a topic; if not,
// says why on standard error, before anything touches a display.
bool mqttAddressesAccepted(const AppInfo& info) {
    for (const auto& [option, value] : {std::pair{"--publish", &info.publish},
                                        std::pair{"--follow", &info.follow}}) {
        std::string error;
        if (!*value || parseMqttAddress(**value, error))
            continue;
        if (error.ends_with('.'))
            error.pop_back();
        error.front() = char(std::tolower(static_cast<unsigned char>(error.front())));
        std::cerr << info.exeName << ": " << option << " " << **value << ": " << error
                  << "; see '" << info.exeName << " --help'.\n";
        return false;
    }
    return true;
}

} // namespace

int runProgram(int argc, char** argv, const ProgramHooks& hooks) {
    AppInfo info = programInfo(argc, argv);
    // The command line is read before anything touches a display, so --help, --version and a
    // mistyped option work where there is none.
    const CommandLineOutcome command =
        readCommandLine(info.arguments, QDir::currentPath().toStdString(), info);
    if (command.journalExport) {
        // The journal's folder is named after the program, with no application object.
        QCoreApplication::setApplicationName(QStringLiteral("Orvane"));
        QCoreApplication::setOrganizationName(QStringLiteral("Orvane"));
        return exportJournal(*command.journalExport, info.exeName);
    }
    if (!command.start) {
        std::cout << command.output;
        if (!command.error.empty())
            std::cerr << command.error << '\n';
        return command.exitStatus;
    }
    if (!serveAddressAccepted(info) || !mqttAddressesAccepted(info))
        return BadCommandLine;
    QtFiles optionFiles;
    std::optional<FollowOptions> followOptions = FollowSetup::readOptions(info, optionFiles);
    if (!followOptions)
        return BadCommandLine;

    X11Painting x11;
    QApplication qapp(argc, argv);
    x11.connected();
    QApplication::setApplicationName(QStringLiteral("Orvane"));
    QApplication::setOrganizationName(QStringLiteral("Orvane"));
    QApplication::setApplicationVersion(
        QStringLiteral("%1.%2.%3").arg(version::major).arg(version::minor).arg(version::revision));
    // The program ends only through its own exit path, never because a window was hidden.
    QApplication::setQuitOnLastWindowClosed(false);
    useDefaultFont();
    QApplication::setWindowIcon(QIcon(drawImage("logo", QSize(64, 64), 1.0)));

    QtClock clock;
    QtScheduler scheduler(schedulerTiming());
    QtDialogs dialogs;
    QtSettings settings;
    QtHelp help;
    QtProcess process;
    QtFiles files;
    info.exeName =
        QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName().toStdString();
    const std::string executableDir = QCoreApplication::applicationDirPath().toStdString();
    info.programDir = programFolder(executableDir);
    QtSettings::moveOldFile(info.title, info.exeName);
    info.installed = info.programDir != executableDir;
    FollowSetup::takeSavedChoice(info, settings, files, *followOptions);

    // The sound plays in a process of its own, started now so that the phrases are made as
    // soon as they are known; what it tells reaches the program as an event of its own.
    SoundClient sound(SoundClient::findHelper(QString::fromStdString(executableDir)),
                      [&scheduler](std::function<void()> task) {
                          QMetaObject::invokeMethod(
                              qApp,
                              [&scheduler, task = std::move(task)] { scheduler.deliver(task); },
                              Qt::QueuedConnection);
                      });
    QtClockHealth clockHealth(scheduler);
    Services services{clock,   scheduler, dialogs, settings, help,
                      process, files,     info,    &sound,   &clockHealth};
    App app(services);
    // The clock's health is asked after a round, once a minute: the question rides on a
    // wake-up the program makes anyway (the turn of the second, or some input), and costs
    // none of its own; only the answer wakes it, between two turns of the second.
    const Subscription healthRounds =
        app.happenings().subscribeRounds([&] { clockHealth.readWhenDue(clock.monotonicMs()); });
    QtView view(app);
    dialogs.setView(&view);
    process.setDialogs(&dialogs);
    app.setObserver(&view);
    QtDisplays displays(view);
    app.setDisplays(&displays);
    // The board's rows change before the main count in a round; the main count paints first,
    // and the count presented to a room with it, as soon as the round's timers have set them
    // and before anything that listens to the round. The other windows' labels take their new
    // texts after it.
    scheduler.beforeSecond = [&] {
        view.showFirst({&app.frmOrvane(), app.loadedForm("frmPresent")});
    };
    scheduler.afterSecond = [&] {
        view.paintNow(app.frmOrvane());
        if (Form* present = app.loadedForm("frmPresent"))
            view.paintNow(*present);
        view.showOthers();
    };
    RemoteSetup remote(app, view);
    QtJournal journal(app, view);
    if (!remote.takeOption(services.info.serve))
        return 2;
    FollowSetup follow(app, scheduler);
    follow.setClockHealth(&clockHealth);
    follow.takeOptions(std::move(*followOptions));
    remote.setPublishing(&follow);
    remote.displays().server().setServeNames(services.info.serveNames);
    remote.displays().setServesNames(!services.info.serveNames.empty());
    std::unique_ptr<StdinDriver> driver;
    if (StdinDriver::wanted())
        driver = std::make_unique<StdinDriver>(app);

    // Start-up is the program's first event: the count shows before the first paint.
    scheduler.deliver([&] {
        Main(app);
        if (!app.ended()) {
            remote.start();
            follow.start();
        }
        if (hooks.started && !app.ended())
            hooks.started(app, view);
    });
    if (app.ended()) {
        // Start-up ends the program only when another copy is running. Whoever started this
        // one from a terminal reads it there too.
        std::cerr << info.exeName << ": ";
        if (!info.startFile.empty())
            std::cerr << info.startFile << " was not opened: ";
        std::cerr << info.title << " is already running on this computer.\n";
        return 0;
    }
    return QApplication::exec();
}

} // namespace orvane
