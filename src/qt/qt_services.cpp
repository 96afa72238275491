#include "qt/qt_services.h"

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

std::string QtClock::setSystemDateTime(DateTime) {
    return "Setting the computer's clock is not available in this version.";
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

} // namespace orvane
