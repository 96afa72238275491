#include "qt/qt_timedated.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace orvane {

const char* const TimedatedBus::Service = "org.freedesktop.timedate1";
const char* const TimedatedBus::Path = "/org/freedesktop/timedate1";
const char* const TimedatedBus::Interface = "org.freedesktop.timedate1";

namespace {

int s_connectionsNamed = 0;

} // namespace

TimedatedBus::TimedatedBus(QString busAddress, const QString& name)
    : m_busAddress(std::move(busAddress)),
      m_name(name + QLatin1Char('-') + QString::number(++s_connectionsNamed)) {}

TimedatedBus::~TimedatedBus() {
    forget();
}

void TimedatedBus::forget() {
    if (m_connection && !m_busAddress.isEmpty())
        QDBusConnection::disconnectFromBus(m_name);
    m_connection.reset();
}

QDBusConnection& TimedatedBus::connection() {
    if (!m_connection) {
        m_connection = std::make_unique<QDBusConnection>(
            m_busAddress.isEmpty() ? QDBusConnection::systemBus()
                                   : QDBusConnection::connectToBus(m_busAddress, m_name));
    }
    return *m_connection;
}

QDBusMessage TimedatedBus::call(const QString& interface, const QString& method) {
    return QDBusMessage::createMethodCall(QString::fromLatin1(Service), QString::fromLatin1(Path),
                                          interface, method);
}

namespace {

std::string refusalText(const QDBusError& error) {
    if (error.type() == QDBusError::NoReply || error.type() == QDBusError::Timeout)
        return Timedated::NoAnswer;
    const QString words = error.message().isEmpty() ? error.name() : error.message();
    return words.toStdString();
}

} // namespace

Timedated::Timedated(QString busAddress, int timeoutMs)
    : m_bus(std::move(busAddress), QStringLiteral("orvane-timedated")), m_timeoutMs(timeoutMs) {}

Timedated::~Timedated() = default;

void Timedated::setTime(qint64 usecUtc, Answer answer) {
    QDBusConnection& bus = m_bus.connection();
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
        TimedatedBus::call(QString::fromLatin1(TimedatedBus::Interface), QStringLiteral("SetTime"));
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
