#include "qt/qt_timedated.h"

#include <QDBusConnection>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QCoreApplication>
#include <QThread>

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
    m_alive.reset();
    forget();
}

void TimedatedBus::forget() {
    if (m_connection && !m_busAddress.isEmpty())
        QDBusConnection::disconnectFromBus(m_name);
    m_connection.reset();
}

void TimedatedBus::whenConnected(std::function<void(QDBusConnection&)> then) {
    if (m_connection) {
        then(*m_connection);
        return;
    }
    m_waiting.push_back(std::move(then));
    if (m_connecting)
        return;
    m_connecting = true;
    // Connecting waits for the bus's answer: on a thread of its own, told back by a task on the
    // user-interface thread that finds this bus gone or here.
    QThread* thread = QThread::create([this, alive = std::weak_ptr<bool>(m_alive),
                                       address = m_busAddress, name = m_name] {
        auto opened = std::make_shared<QDBusConnection>(
            address.isEmpty() ? QDBusConnection::systemBus()
                              : QDBusConnection::connectToBus(address, name));
        QMetaObject::invokeMethod(
            qApp,
            [this, alive, opened, address, name] {
                if (!alive.lock()) {
                    if (!address.isEmpty())
                        QDBusConnection::disconnectFromBus(name);
                    return;
                }
                m_connecting = false;
                m_connection = std::make_unique<QDBusConnection>(*opened);
                const auto waiting = std::move(m_waiting);
                m_waiting.clear();
                for (const auto& task : waiting)
                    if (m_connection)
                        task(*m_connection);
            },
            Qt::QueuedConnection);
    });
    QObject::connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    thread->start();
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
    m_bus.whenConnected([this, usecUtc, answer = std::move(answer)](QDBusConnection& bus) {
        ask(bus, usecUtc, answer);
    });
}

void Timedated::ask(QDBusConnection& bus, qint64 usecUtc, const Answer& answer) {
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
                     [watcher, answer] {
                         watcher->deleteLater();
                         const QDBusPendingReply<> reply = *watcher;
                         answer(reply.isError() ? refusalText(reply.error()) : std::string());
                     });
}

} // namespace orvane
