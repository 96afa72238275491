#include "qt/qt_clock_health.h"

#include "services/services.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>

#include <sys/timex.h>

namespace orvane {

std::optional<std::int64_t> QtClockHealth::kernelMaxErrorMs() {
    struct timex tx {};
    tx.modes = 0; // only reading, which needs no privilege
    const int state = ::adjtimex(&tx);
    if (state == -1 || state == TIME_ERROR || (tx.status & STA_UNSYNC))
        return std::nullopt;
    // A bound: rounded up, never down.
    return (std::int64_t(tx.maxerror) + 999) / 1000;
}

QtClockHealth::QtClockHealth(Scheduler& scheduler, QString busAddress, int timeoutMs,
                             KernelError kernelError)
    : m_scheduler(scheduler), m_bus(std::move(busAddress), QStringLiteral("orvane-clock-health")),
      m_timeoutMs(timeoutMs), m_kernelError(std::move(kernelError)) {}

QtClockHealth::~QtClockHealth() = default;

void QtClockHealth::onChange(std::function<void(const ClockHealth&)> listener) {
    m_listener = std::move(listener);
}

void QtClockHealth::readWhenDue(std::int64_t nowMs) {
    if (m_askedMs && nowMs - *m_askedMs < ReadEveryMs)
        return;
    m_askedMs = nowMs;
    read();
}

void QtClockHealth::read() {
    if (m_reading)
        return;
    m_reading = true;
    m_bus.whenConnected([this](QDBusConnection& bus) { ask(bus); });
}

void QtClockHealth::ask(QDBusConnection& bus) {
    if (!bus.isConnected()) {
        // The next question opens the bus afresh; this one is answered later all the same.
        m_bus.forget();
        QMetaObject::invokeMethod(
            &m_context, [this] { answered(ClockHealth::Sync::Unknown); }, Qt::QueuedConnection);
        return;
    }
    QDBusMessage call = TimedatedBus::call(QStringLiteral("org.freedesktop.DBus.Properties"),
                                           QStringLiteral("Get"));
    call << QString::fromLatin1(TimedatedBus::Interface) << QStringLiteral("NTPSynchronized");
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, m_timeoutMs), &m_context);
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, &m_context, [this, watcher] {
        watcher->deleteLater();
        const QDBusPendingReply<QDBusVariant> reply = *watcher;
        ClockHealth::Sync sync = ClockHealth::Sync::Unknown;
        if (!reply.isError()) {
            const QVariant value = reply.value().variant();
            if (value.typeId() == QMetaType::Bool)
                sync = value.toBool() ? ClockHealth::Sync::Synchronised
                                      : ClockHealth::Sync::NotSynchronised;
        }
        answered(sync);
    });
}

// The kernel is read with the answer, so the figure is as fresh as the word it goes with.
void QtClockHealth::answered(ClockHealth::Sync sync) {
    m_reading = false;
    ClockHealth health;
    health.sync = sync;
    if (sync == ClockHealth::Sync::Synchronised && m_kernelError)
        health.maxErrorMs = m_kernelError();
    if (health == m_health)
        return;
    m_health = health;
    m_scheduler.deliver([this] {
        if (m_listener)
            m_listener(m_health);
    });
}

} // namespace orvane
