#include "qt/qt_services.h"

#include "qt/qt_timedated.h"

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

QtClock::QtClock(QString busAddress, int timeoutMs)
    : m_timedated(std::make_unique<Timedated>(std::move(busAddress), timeoutMs)) {}

QtClock::~QtClock() = default;

namespace {

// The local wall time WHEN as seconds since 1970 UTC, through the computer's time zone rules.
std::optional<std::int64_t> epochSeconds(DateTime when) {
    std::tm parts{};
    parts.tm_year = when.year() - 1900;
    parts.tm_mon = when.month() - 1;
    parts.tm_mday = when.day();
    parts.tm_hour = when.hour();
    parts.tm_min = when.minute();
    parts.tm_sec = when.second();
    parts.tm_isdst = -1;
    tzset();
    const std::time_t t = mktime(&parts);
    if (t == std::time_t(-1))
        return std::nullopt;
    return std::int64_t(t);
}

} // namespace

void QtClock::setSystemDateTime(DateTime when, SetAnswer answer) {
    const std::optional<std::int64_t> seconds = epochSeconds(when);
    if (!seconds) {
        answer("the time " + formatDate(when, "General Date") + " cannot be set");
        return;
    }
    m_timedated->setTime(qint64(*seconds) * 1'000'000, std::move(answer));
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
