// Orvane: a launch clock for mission simulations. Builds the real services and the Qt view,
// then starts the program as its start-up routine says.

#include "app.h"
#include "platform/qt/qt_scheduler.h"
#include "platform/qt/qt_services.h"
#include "platform/qt/qt_view.h"
#include "platform/qt/qt_widgets.h"
#include "shell/basOrvaneLoad.h"
#include "version.h"

#include <QApplication>
#include <QFileInfo>
#include <QIcon>

int main(int argc, char** argv) {
    QApplication qapp(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orvane"));
    QApplication::setOrganizationName(QStringLiteral("Orvane"));
    QApplication::setApplicationVersion(QStringLiteral("%1.%2.%3")
                                            .arg(orvane::version::major)
                                            .arg(orvane::version::minor)
                                            .arg(orvane::version::revision));
    // The program ends only through its own exit path, never because a window was hidden.
    QApplication::setQuitOnLastWindowClosed(false);
    orvane::useDefaultFont();
    QApplication::setWindowIcon(QIcon(orvane::drawImage("logo", QSize(64, 64), 1.0)));

    orvane::QtClock clock;
    orvane::QtScheduler scheduler;
    orvane::QtDialogs dialogs;
    orvane::QtSettings settings;
    orvane::QtHelp help;
    orvane::QtProcess process;

    orvane::AppInfo info;
    info.title = "Orvane";
    info.exeName =
        QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName().toStdString();
    info.programDir = QCoreApplication::applicationDirPath().toStdString();
    info.major = orvane::version::major;
    info.minor = orvane::version::minor;
    info.revision = orvane::version::revision;
    const QStringList arguments = QCoreApplication::arguments();
    for (qsizetype i = 1; i < arguments.size(); ++i)
        info.arguments.push_back(arguments[i].toStdString());

    orvane::Services services{clock, scheduler, dialogs, settings, help, process, info};
    orvane::App app(services);
    orvane::QtView view(app);
    dialogs.setView(&view);
    app.setObserver(&view);

    // Start-up is the program's first event: the count shows before the first paint.
    scheduler.deliver([&] { orvane::Main(app); });
    if (app.ended())
        return 0;
    return QApplication::exec();
}
