#include "qt/qt_services.h"

#include "services/file_io.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace orvane {

namespace {

QString qtPath(const std::string& path) {
    return QString::fromStdString(path);
}

std::string reasonOf(const QFileDevice& file, const char* fallback) {
    const QString why = file.errorString();
    return why.isEmpty() || file.error() == QFileDevice::NoError ? fallback : why.toStdString();
}

} // namespace

FileContent QtFiles::read(const std::string& path, std::size_t limit) {
    return readSmallFile(path, limit);
}

KeepCopy QtFiles::keepCopy(const std::string& path, const std::string& copy) {
    return keepCopyOf(path, copy);
}

// QSaveFile::commit() in Qt 6.4 can report success after a short write on a full disk and
// so replace a good file with a cut one: every write is checked for its whole length, then
// the flush, and any failure cancels the save before commit is reached.
std::string QtFiles::writeWhole(const std::string& path, const std::string& content) {
    QSaveFile file(qtPath(path));
    if (!file.open(QIODevice::WriteOnly))
        return reasonOf(file, "the file cannot be made");
    const QByteArray bytes = QByteArray::fromStdString(content);
    std::string why;
    if (file.write(bytes) != bytes.size())
        why = reasonOf(file, "not every byte could be written; the disk may be full");
    else if (!file.flush())
        why = reasonOf(file, "the file could not be stored; the disk may be full");
    if (!why.empty()) {
        file.cancelWriting();
        return why;
    }
    if (!file.commit())
        return reasonOf(file, "the file could not take the old one's place");
    return {};
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
