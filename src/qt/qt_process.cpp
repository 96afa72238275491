#include "qt/qt_services.h"

#include <QCoreApplication>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QStandardPaths>

#include <chrono>
#include <cmath>

namespace orvane {

QtProcess::QtProcess() = default;
QtProcess::~QtProcess() = default;

QString QtProcess::instanceName() {
    const QByteArray name = qgetenv("ORVANE_INSTANCE_NAME");
    return name.isEmpty() ? QStringLiteral("orvane-single-instance") : QString::fromLocal8Bit(name);
}

bool QtProcess::claimSingleInstance() {
    if (m_server && m_server->isListening())
        return true;
    auto server = std::make_unique<QLocalServer>();
    // A socket file could be taken over by a second copy while the first runs; a name in the
    // abstract namespace cannot.
    server->setSocketOptions(QLocalServer::AbstractNamespaceOption);
    if (!server->listen(instanceName()))
        // Only a name held by another copy stops this one; any other failure lets it run.
        return server->serverError() != QAbstractSocket::AddressInUseError;
    QLocalServer* s = server.get();
    QObject::connect(s, &QLocalServer::newConnection, s, [s] {
        while (QLocalSocket* peer = s->nextPendingConnection())
            peer->deleteLater();
    });
    m_server = std::move(server);
    return true;
}

void QtProcess::endProgram() {
    QCoreApplication::exit(0);
}

QString QtProcess::desktopCalculator() {
    for (const char* name : {"gnome-calculator", "kcalc", "galculator", "mate-calc", "xcalc"}) {
        const QString found = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (!found.isEmpty())
            return found;
    }
    return {};
}

void QtProcess::startProgram(const std::string& path) {
    if (QString::fromStdString(path).compare(QLatin1String(WindowsCalculator),
                                             Qt::CaseInsensitive) == 0) {
        const QString calculator = desktopCalculator();
        if (!calculator.isEmpty()) {
            QProcess::startDetached(calculator, {});
            return;
        }
        QtDialogs fallback;
        Dialogs& dialogs = m_dialogs ? *m_dialogs : fallback;
        dialogs.messageBox("No calculator program is installed on this computer.", Buttons::OK,
                           Icon::Information, "Orvane");
        return;
    }
    QStringList words = QProcess::splitCommand(QString::fromStdString(path));
    if (words.isEmpty())
        return;
    const QString program = words.takeFirst();
    QProcess::startDetached(program, words);
}

void QtProcess::randomize() {
    const auto ticks = std::chrono::system_clock::now().time_since_epoch().count();
    m_random.seed(std::mt19937::result_type(ticks ^ (ticks >> 32)));
}

double QtProcess::random() {
    const double r = std::uniform_real_distribution<double>(0.0, 1.0)(m_random);
    return r < 1.0 ? r : std::nextafter(1.0, 0.0);
}

} // namespace orvane
