#include "qt/qt_services.h"

#include "qt/qt_timedated.h"

#include <QFile>
#include <QSettings>

#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <ctime>
#include <string>

namespace orvane {

Instant QtClock::instant() const {
    timespec t{};
    clock_gettime(CLOCK_REALTIME, &t);
    return Instant::fromUnixSeconds(t.tv_sec);
}

std::int64_t QtClock::unixMs() const {
    timespec t{};
    clock_gettime(CLOCK_REALTIME, &t);
    return std::int64_t(t.tv_sec) * 1000 + t.tv_nsec / 1'000'000;
}

namespace {

// What the system's zone setting looks like: TZ, and the link /etc/localtime and the file
// /etc/timezone as they stand. A few system calls, where finding the zone itself walks the
// link's whole path and looks the zone up.
std::string zoneSetting() {
    std::string setting;
    if (const char* tz = std::getenv("TZ"))
        setting.append("TZ=").append(tz);
    setting += '\n';
    char target[PATH_MAX];
    const ssize_t n = ::readlink("/etc/localtime", target, sizeof target);
    if (n > 0)
        setting.append(target, std::size_t(n));
    for (const char* file : {"/etc/localtime", "/etc/timezone"}) {
        struct stat st {};
        if (::lstat(file, &st) == 0)
            setting += '\n' + std::to_string(st.st_ino) + ' ' + std::to_string(st.st_size) + ' ' +
                       std::to_string(st.st_mtim.tv_sec) + '.' +
                       std::to_string(st.st_mtim.tv_nsec);
    }
    return setting;
}

} // namespace

// The counts ask for the present many times a second. The zone is looked at afresh at each new
// second of the clock, so a change of time zone shows at the next one; it is found anew only
// when the system's setting changed, since that is what costs, at the very start of a second.
TimeZone QtClock::zone() const {
    const std::int64_t second = instant().unixSeconds();
    if (second != m_zoneSecond) {
        std::string setting = zoneSetting();
        if (m_zoneSecond < 0 || setting != m_zoneSetting) {
            m_zone = TimeZone::current();
            m_zoneSetting = std::move(setting);
        }
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

void QtClock::setSystemDateTime(DateTime when, int msIntoSecond, SetAnswer answer) {
    // A wall time that happens twice means its first occurrence, as everywhere else.
    const std::int64_t seconds = zone().toInstant(when).unixSeconds();
    m_timedated->setTime(qint64(seconds) * 1'000'000 + qint64(msIntoSecond) * 1000,
                         std::move(answer));
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
