#include "platform/qt/qt_services.h"

#include <QDateTime>
#include <QSettings>

namespace orvane {

DateTime QtClock::now() const {
    const QDateTime t = QDateTime::currentDateTime();
    const QDate d = t.date();
    const QTime h = t.time();
    return DateTime::fromParts(d.year(), d.month(), d.day(), h.hour(), h.minute(), h.second())
        .value_or(DateTime{});
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
