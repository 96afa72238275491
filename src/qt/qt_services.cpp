#include "qt/qt_services.h"

#include "qt/qt_timedated.h"

#include <QFile>
#include <QSettings>

#include <ctime>

namespace orvane {

Instant QtClock::instant() const {
    timespec t{};
    clock_gettime(CLOCK_REALTIME, &t);
    return Instant::fromUnixSeconds(t.tv_sec);
}

// Finding the computer's zone looks at the system's setting each time, and the counts ask for
// the present many times a second. The zone is read afresh at each new second of the clock,
// so a change of time zone shows at the next one.
TimeZone QtClock::zone() const {
    const std::int64_t second = instant().unixSeconds();
    if (second != m_zoneSecond) {
        m_zone = TimeZone::current();
        m_zoneSecond = second;
    }
    return m_zone;
}

// Time spent asleep counts: a hold over a suspended laptop has lasted that long too.
std::int64_t QtClock::monotonicMs() const {
    timespec t{};
    clock_gettime(CLOCK_BOOTTIME, &t);
    return std::int64_t(t.tv_sec) * 1000 + t.tv_nsec / 1'000'000;
}

QtClock::QtClock(QString busAddress, int timeoutMs)
    : m_timedated(std::make_unique<Timedated>(std::move(busAddress), timeoutMs)) {}

QtClock::~QtClock() = default;

void QtClock::setSystemDateTime(DateTime when, SetAnswer answer) {
    // A wall time that happens twice means its first occurrence, as everywhere else.
    const std::int64_t seconds = zone().toInstant(when).unixSeconds();
    m_timedated->setTime(qint64(seconds) * 1'000'000, std::move(answer));
}

namespace {

QString settingsKey(const std::string& section, const std::string& key) {
    return QString::fromStdString(section) + '/' + QString::fromStdString(key);
}

} // namespace

std::string QtSettings::get(const std::string& appName, const std::string& section,
                            const std::string& key, const std::string& fallback) {
    QSettings store(QSettings::IniFormat, QSettings::UserScope, "Orvane",
                    QString::fromStdString(appName));
    return store.value(settingsKey(section, key), QString::fromStdString(fallback))
        .toString()
        .toStdString();
}

void QtSettings::save(const std::string& appName, const std::string& section,
                      const std::string& key, const std::string& value) {
    QSettings store(QSettings::IniFormat, QSettings::UserScope, "Orvane",
                    QString::fromStdString(appName));
    store.setValue(settingsKey(section, key), QString::fromStdString(value));
    store.sync();
}

bool QtSettings::moveOldFile(const std::string& oldName, const std::string& appName) {
    if (oldName == appName)
        return false;
    QSettings old(QSettings::IniFormat, QSettings::UserScope, "Orvane",
                  QString::fromStdString(oldName));
    if (!QFile::exists(old.fileName()))
        return false;
    QSettings store(QSettings::IniFormat, QSettings::UserScope, "Orvane",
                    QString::fromStdString(appName));
    for (const QString& key : old.allKeys())
        if (!store.contains(key))
            store.setValue(key, old.value(key));
    store.sync();
    // The old file stays until its keys are safely in the new one.
    return store.status() == QSettings::NoError && QFile::remove(old.fileName());
}

} // namespace orvane
