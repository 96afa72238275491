// Saving and reading launch data files on the real file system: a save that fails, however
// it fails, leaves the old file whole and says why.

#include "qt/qt_services.h"
#include "services/file_io.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/mount.h>
#include <sys/stat.h>

#include <string>

namespace orvane::test {
namespace {

std::string contentOf(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return "<unreadable>";
    return f.readAll().toStdString();
}

TEST(QtFilesTest, ASaveReplacesTheFileWhole_AndReadsBack) {
    QTemporaryDir dir;
    const std::string path = dir.filePath("launch.ovx").toStdString();
    QtFiles files;
    EXPECT_TRUE(files.read(path, 65536).missing);
    EXPECT_EQ(files.writeWhole(path, "first\r\n"), "");
    EXPECT_EQ(files.writeWhole(path, "second\r\n"), "");
    const FileContent read = files.read(path, 65536);
    ASSERT_TRUE(read.content) << read.error;
    EXPECT_EQ(*read.content, "second\r\n");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"launch.ovx"})
        << "no temporary file is left beside it";
}

TEST(QtFilesTest, ASaveIntoAFolderThatIsARegularFileFails_WithAReason) {
    // File modes stop nothing for root, which the tests may run as; this fails for anyone.
    QTemporaryDir dir;
    QFile plain(dir.filePath("notafolder"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    QtFiles files;
    const std::string why =
        files.writeWhole(dir.filePath("notafolder/launch.ovx").toStdString(), "x");
    EXPECT_FALSE(why.empty());
    EXPECT_FALSE(files.read(dir.filePath("notafolder/launch.ovx").toStdString(), 65536).content);
    EXPECT_FALSE(files.isWritableFolder(dir.filePath("notafolder").toStdString()));
    EXPECT_TRUE(files.isWritableFolder(dir.path().toStdString()));
}

// A disk that fills up in the middle of a save: a small memory file system stands in for it
// where this machine lets the tests mount one.
TEST(QtFilesTest, ASaveThatFillsTheDiskKeepsTheOldFile) {
    QTemporaryDir dir;
    const QByteArray mountPoint = dir.path().toLocal8Bit();
    if (::mount("tmpfs", mountPoint.constData(), "tmpfs", 0, "size=16k") != 0)
        GTEST_SKIP() << "no small file system can be mounted here";
    struct Unmount {
        QByteArray at;
        ~Unmount() { ::umount(at.constData()); }
    } unmount{mountPoint};

    const std::string path = dir.filePath("launch.ovx").toStdString();
    QtFiles files;
    ASSERT_EQ(files.writeWhole(path, "the good file\r\n"), "");
    const std::string why = files.writeWhole(path, std::string(64 * 1024, 'x'));
    EXPECT_FALSE(why.empty());
    EXPECT_TRUE(contentOf(QString::fromStdString(path)) == "the good file\r\n")
        << "the old file was replaced";
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"launch.ovx"});
}

TEST(QtFilesTest, ASaveWritesThroughASymbolicLinkAndKeepsTheFilesMode) {
    QTemporaryDir dir;
    const QString real = dir.filePath("real.ovx");
    const QString link = dir.filePath("link.ovx");
    QtFiles files;
    ASSERT_EQ(files.writeWhole(real.toStdString(), "old\r\n"), "");
    ASSERT_TRUE(QFile::setPermissions(real, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    ASSERT_TRUE(QFile::link(real, link));
    EXPECT_EQ(files.writeWhole(link.toStdString(), "new\r\n"), "");
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(contentOf(real), "new\r\n");
    EXPECT_EQ(QFile::permissions(real), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                            QFileDevice::ReadUser | QFileDevice::WriteUser);
}

// Regression: reading a pipe waited for a writer, and /dev/zero was read without end.
TEST(QtFilesTest, APipeOrADeviceIsRefusedAtOnce) {
    QTemporaryDir dir;
    const std::string fifo = dir.filePath("pipe.ovx").toStdString();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    QtFiles files;
    EXPECT_FALSE(files.read(fifo, 65536).content);
    EXPECT_FALSE(files.read("/dev/zero", 65536).content);
}

// A pipe put in the file's place while the new file was written is not replaced either, and
// the new file goes; a file left unfinished goes too.
TEST(QtFilesTest, AWriterReplacesOnlyARegularFile_EvenWhenOneTakesItsPlaceMeanwhile) {
    QTemporaryDir dir;
    const std::string path = dir.filePath("out.csv").toStdString();
    {
        FileWriter unfinished(path);
        EXPECT_TRUE(unfinished.write("never committed"));
    }
    EXPECT_TRUE(QDir(dir.path()).isEmpty());
    FileWriter out(path);
    ASSERT_EQ(out.error(), "");
    EXPECT_TRUE(out.write("a,b\n"));
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    EXPECT_EQ(out.commit(), "it is a pipe, not a file");
    EXPECT_FALSE(out.write("more"));
    EXPECT_TRUE(QFileInfo(QString::fromStdString(path)).exists());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::System), QStringList{"out.csv"});
    EXPECT_EQ(QtFiles().writeWhole(path, "x"), "it is a pipe, not a file");
    EXPECT_EQ(whyNotWritable("-"), "");
    EXPECT_EQ(whyNotWritable(dir.path().toStdString()), "it is a folder, not a file");
    EXPECT_EQ(whyNotWritable(dir.filePath("new.csv").toStdString()), "");
}

TEST(QtFilesTest, TheUsersDataFolderIsMadeInTheirOwnHome) {
    QtFiles files;
    const std::string folder = files.userDataFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_TRUE(QDir(QString::fromStdString(folder)).exists());
    EXPECT_TRUE(folder.starts_with(qEnvironmentVariable("HOME").toStdString())) << folder;
}

} // namespace
} // namespace orvane::test
