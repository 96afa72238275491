#include "qt/qt_services.h"

#include "services/file_io.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace orvane {

namespace {

QString qtPath(const std::string& path) {
    return QString::fromStdString(path);
}

} // namespace

FileContent QtFiles::read(const std::string& path, std::size_t limit) {
    return readSmallFile(path, limit);
}

KeepCopy QtFiles::keepCopy(const std::string& path, const std::string& copy) {
    return keepCopyOf(path, copy);
}

// Written beside the file and renamed over it once whole; never over a device, a pipe, a
// socket or a folder.
std::string QtFiles::writeWhole(const std::string& path, const std::string& content) {
    return writeFileWhole(path, content);
}

bool QtFiles::isWritableFolder(const std::string& folder) {
    const QFileInfo info(qtPath(folder));
    return info.isDir() && info.isWritable();
}

std::string QtFiles::userDataFolder() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    if (folder.isEmpty() || !QDir().mkpath(folder))
        return {};
    return folder.toStdString();
}

} // namespace orvane
