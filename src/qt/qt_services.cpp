#include "qt/qt_services.h"

#include "qt/qt_timedated.h"
#include "services/watch_events.h"

#include <QFile>
#include <QSettings>

#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <ctime>
#include <string>
#include <string_view>

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

ZoneFilesWatch::ZoneFilesWatch(const std::string& folder) {
    m_fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_fd >= 0 &&
        ::inotify_add_watch(m_fd, folder.c_str(),
                            IN_CREATE | IN_DELETE | IN_MOVED_TO | IN_MOVED_FROM | IN_MODIFY |
                                IN_CLOSE_WRITE | IN_ATTRIB | IN_ONLYDIR) < 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

ZoneFilesWatch::~ZoneFilesWatch() {
    if (m_fd >= 0)
        ::close(m_fd);
}

bool ZoneFilesWatch::changed() {
    bool changed = false;
    bool gone = false;
    readWatchEvents(m_fd, [&](int, std::uint32_t what, std::string_view file) {
        changed = changed || file == "localtime" || file == "timezone" || (what & IN_Q_OVERFLOW);
        gone = gone || (what & IN_IGNORED);
    });
    // The folder itself gone: the files are looked at from now on.
    if (gone) {
        ::close(m_fd);
        m_fd = -1;
        changed = true;
    }
    return changed;
}

namespace {

// What the system's zone setting looks like: TZ, and the link /etc/localtime and the file
// /etc/timezone as they stand, the files only when they cannot be watched. A few system calls,
// where finding the zone itself walks the link's whole path and looks the zone up.
std::string zoneSetting(bool lookAtFiles) {
    std::string setting;
    if (const char* tz = std::getenv("TZ"))
        setting.append("TZ=").append(tz);
    if (!lookAtFiles)
        return setting;
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
        const bool filesChanged = m_zoneFiles.changed();
        std::string setting = zoneSetting(!m_zoneFiles.watching());
        if (m_zoneSecond < 0 || filesChanged || setting != m_zoneSetting) {
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
