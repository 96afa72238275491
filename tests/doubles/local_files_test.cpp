// The files the scenario runner and the tests save and read: they meet the file system as
// the program's own do.

#include "doubles/local_files.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace orvane::test {
namespace {

class LocalFilesTest : public ::testing::Test {
  protected:
    LocalFilesTest() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "orvane-files-XXXXXX").string();
        EXPECT_TRUE(mkdtemp(pattern.data()));
        folder = pattern;
    }
    ~LocalFilesTest() override { std::filesystem::remove_all(folder); }

    std::string content(const std::string& path) const {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    static unsigned modeOf(const std::string& path) {
        struct stat st {};
        return ::stat(path.c_str(), &st) == 0 ? unsigned(st.st_mode & 07777) : 0u;
    }

    std::string folder;
    LocalFiles files;
};

// Regression: the runner's save replaced a symbolic link with a file and reset a file's
// mode 0600 to 0644.
TEST_F(LocalFilesTest, ASaveWritesThroughASymbolicLinkAndKeepsTheFilesMode) {
    const std::string real = folder + "/real.ovx";
    const std::string link = folder + "/link.ovx";
    std::ofstream(real) << "old\r\n";
    ASSERT_EQ(::chmod(real.c_str(), 0600), 0);
    std::filesystem::create_symlink("real.ovx", link);

    EXPECT_EQ(files.writeWhole(link, "new\r\n"), "");
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(content(real), "new\r\n");
    EXPECT_EQ(modeOf(real), 0600u);

    // A link to a file not made yet makes it where the link points.
    const std::string dangling = folder + "/ahead.ovx";
    std::filesystem::create_symlink("made.ovx", dangling);
    EXPECT_EQ(files.writeWhole(dangling, "made\r\n"), "");
    EXPECT_TRUE(std::filesystem::is_symlink(dangling));
    EXPECT_EQ(content(folder + "/made.ovx"), "made\r\n");
}

TEST_F(LocalFilesTest, OnlyASmallRegularFileIsRead_WithoutWaitingOnAPipe) {
    const std::string fifo = folder + "/pipe";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const FileContent pipe = files.read(fifo, 1024);
    EXPECT_FALSE(pipe.content);
    EXPECT_FALSE(pipe.missing);
    EXPECT_FALSE(pipe.error.empty());
    EXPECT_FALSE(files.read("/dev/zero", 1024).content);
    EXPECT_EQ(files.read(folder, 1024).error, "Is a directory");
    EXPECT_TRUE(files.read(folder + "/none", 1024).missing);

    const std::string small = folder + "/small";
    std::ofstream(small) << std::string(1024, 'x');
    EXPECT_EQ(files.read(small, 1024).content, std::string(1024, 'x'));
    const FileContent over = files.read(small, 1023);
    EXPECT_FALSE(over.content);
    EXPECT_TRUE(over.tooLarge);
}

TEST_F(LocalFilesTest, AKeptCopyNeverReplacesAFile) {
    const std::string path = folder + "/launch.ovx";
    std::ofstream(path) << "first";
    EXPECT_TRUE(files.keepCopy(path, path + ".bad").kept);
    std::ofstream(path) << "second";
    const KeepCopy again = files.keepCopy(path, path + ".bad");
    EXPECT_FALSE(again.kept);
    EXPECT_TRUE(again.taken);
    EXPECT_EQ(content(path + ".bad"), "first");
    EXPECT_TRUE(files.keepCopy(folder + "/none", path + ".bad.1").missing);
}

} // namespace
} // namespace orvane::test
