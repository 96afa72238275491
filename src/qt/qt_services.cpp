#include "qt/qt_services.h"

#include <QSettings>

#include <algorithm>
#include <ctime>

namespace orvane {

DateTime QtClock::now() const {
    // Turning the wall clock into local time looks at the time zone file each time, and the
    // counts ask for the present many times a second. Within one second of the wall clock the
    // answer cannot change, so it is worked out once a second; the zone is read afresh at each
    // new second, so a change of time zone shows at the next one.
    static thread_local std::time_t second = -1;
    static thread_local DateTime local;
    timespec t{};
    clock_gettime(CLOCK_REALTIME, &t);
    if (t.tv_sec != second) {
        tzset();
        std::tm parts{};
        localtime_r(&t.tv_sec, &parts);
        // A leap second, where the system shows one, is the last second of its minute.
        local = DateTime::fromParts(parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday,
                                    parts.tm_hour, parts.tm_min, std::min(parts.tm_sec, 59))
                    .value_or(DateTime{});
        second = t.tv_sec;
    }
    return local;
}

// Time spent asleep counts: a hold over a suspended laptop has lasted that long too.
std::int64_t QtClock::monotonicMs() const {
    timespec t{};
    clock_gettime(CLOCK_BOOTTIME, &t);
    return std::int64_t(t.tv_sec) * 1000 + t.tv_nsec / 1'000'000;
}

void QtClock::setSystemDateTime(DateTime, SetAnswer answer) {
    answer("Setting the computer's clock is not available in this version.");
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
