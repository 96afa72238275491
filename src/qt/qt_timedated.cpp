#include "qt/qt_timedated.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace orvane {

namespace {

const QString Service = QStringLiteral("org.freedesktop.timedate1");
const QString Path = QStringLiteral("/org/freedesktop/timedate1");
const QString Interface = QStringLiteral("org.freedesktop.timedate1");
const QString PrivateBusName = QStringLiteral("orvane-timedated");

std::string refusalText(const QDBusError& error) {
    if (error.type() == QDBusError::NoReply || error.type() == QDBusError::Timeout)
        return Timedated::NoAnswer;
    const QString words = error.message().isEmpty() ? error.name() : error.message();
    return words.toStdString();
}

} // namespace

Timedated::Timedated(QString busAddress, int timeoutMs)
    : m_busAddress(std::move(busAddress)), m_timeoutMs(timeoutMs) {}

Timedated::~Timedated() {
    if (m_connection && !m_busAddress.isEmpty())
        QDBusConnection::disconnectFromBus(PrivateBusName);
}

QDBusConnection& Timedated::connection() {
    if (!m_connection) {
        m_connection = std::make_unique<QDBusConnection>(
            m_busAddress.isEmpty() ? QDBusConnection::systemBus()
                                   : QDBusConnection::connectToBus(m_busAddress, PrivateBusName));
    }
    return *m_connection;
}

void Timedated::setTime(qint64 usecUtc, Answer answer) {
    QDBusConnection& bus = connection();
    if (!bus.isConnected()) {
        const QDBusError error = bus.lastError();
        const std::string why =
            error.isValid() ? refusalText(error) : "the system bus is not available";
        // Still an answer that comes later, as a real one would.
        QMetaObject::invokeMethod(
            &m_context, [answer, why] { answer(why); }, Qt::QueuedConnection);
        return;
    }
    QDBusMessage call =
        QDBusMessage::createMethodCall(Service, Path, Interface, QStringLiteral("SetTime"));
    // Absolute time, and polkit may ask the person at the screen for authorisation.
    call << usecUtc << false << true;
    call.setInteractiveAuthorizationAllowed(true);
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, m_timeoutMs), &m_context);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, &m_context,
                     [watcher, answer = std::move(answer)] {
                         watcher->deleteLater();
                         const QDBusPendingReply<> reply = *watcher;
                         answer(reply.isError() ? refusalText(reply.error()) : std::string());
                     });
}

} // namespace orvane
