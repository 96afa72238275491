#include "qt/qt_program.h"

#include "app.h"
#include "qt/qt_drive.h"
#include "qt/qt_scheduler.h"
#include "qt/qt_services.h"
#include "qt/qt_view.h"
#include "qt/qt_widgets.h"
#include "qt/remote/remote_setup.h"
#include "shell/basOrvaneLoad.h"
#include "version.h"

#include <QApplication>
#include <QFileInfo>
#include <QIcon>

#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>

namespace orvane {

namespace {

AppInfo programInfo() {
    AppInfo info;
    info.title = "Orvane";
    info.exeName =
        QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName().toStdString();
    info.programDir = QCoreApplication::applicationDirPath().toStdString();
    info.major = version::major;
    info.minor = version::minor;
    info.revision = version::revision;
    const QStringList arguments = QCoreApplication::arguments();
    for (qsizetype i = 1; i < arguments.size(); ++i)
        info.arguments.push_back(arguments[i].toStdString());
    return info;
}

// The benchmark compares the timer policy with the intervals read literally.
QtScheduler::Timing schedulerTiming() {
    const char* timing = std::getenv("ORVANE_SCHEDULER");
    return timing && std::string_view(timing) == "literal" ? QtScheduler::Timing::Literal
                                                           : QtScheduler::Timing::Policy;
}

} // namespace

int runProgram(int argc, char** argv, const ProgramHooks& hooks) {
    QApplication qapp(argc, argv);
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
    const AppInfo info = programInfo();

    Services services{clock, scheduler, dialogs, settings, help, process, files, info};
    App app(services);
    QtView view(app);
    dialogs.setView(&view);
    process.setDialogs(&dialogs);
    app.setObserver(&view);
    RemoteSetup remote(app, view);
    if (!remote.takeOptions(services.info.arguments))
        return 2;
    std::unique_ptr<StdinDriver> driver;
    if (StdinDriver::wanted())
        driver = std::make_unique<StdinDriver>(app);

    // Start-up is the program's first event: the count shows before the first paint.
    scheduler.deliver([&] {
        Main(app);
        if (!app.ended())
            remote.start();
        if (hooks.started && !app.ended())
            hooks.started(app, view);
    });
    if (app.ended())
        return 0;
    return QApplication::exec();
}

} // namespace orvane
