// Where the sound server will listen, and the kernel's word that it has come: a real socket in
// a real folder, made and taken away by the test.

#include "sound/server_socket_watch.h"

#include <gtest/gtest.h>

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

namespace orvane {
namespace {

namespace fs = std::filesystem;

TEST(ServerSocketWatch, FindsTheSocketAsTheSoundLibraryWould) {
    EXPECT_EQ(ServerSocketWatch::socketPath("unix:/run/me/native", "/p", "/x"), "/run/me/native");
    EXPECT_EQ(ServerSocketWatch::socketPath("/run/me/native", nullptr, nullptr), "/run/me/native");
    EXPECT_EQ(ServerSocketWatch::socketPath(" {0123abc}unix:/run/me/native ", nullptr, nullptr),
              "/run/me/native");
    // Reached over the network, or one of several: looked for by time alone.
    for (const char* server :
         {"tcp:localhost", "localhost", "unix:relative/native", "unix:", "unix:/run/me/",
          "{unclosed/run/me/native", "unix:/a/native unix:/b/native"})
        EXPECT_EQ(ServerSocketWatch::socketPath(server, "/p", "/x"), "") << server;
    EXPECT_EQ(ServerSocketWatch::socketPath("", "/p", "/x"), "/p/native");
    EXPECT_EQ(ServerSocketWatch::socketPath(nullptr, nullptr, "/x"), "/x/pulse/native");
    EXPECT_EQ(ServerSocketWatch::socketPath(nullptr, "", ""), "");
}

class SocketFolder : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/orvane-socket-watch.XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        m_root = pattern;
    }
    void TearDown() override { fs::remove_all(m_root); }

    // Whether the watch's descriptor is readable now: the kernel queues its word before the
    // call that made the socket returns, so nothing is waited for.
    static bool told(const ServerSocketWatch& watch) {
        pollfd p{watch.fd(), POLLIN, 0};
        return ::poll(&p, 1, 0) == 1;
    }

    static int listenOn(const fs::path& path) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
        EXPECT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        EXPECT_EQ(::listen(fd, 1), 0);
        return fd;
    }

    fs::path m_root;
};

// The server's folder is not there at first (a fresh runtime folder): its making is told, then
// the socket's; what else happens in either folder is not.
TEST_F(SocketFolder, TellsTheSocketAppearingAndNothingElse) {
    const fs::path folder = m_root / "pulse";
    ServerSocketWatch watch;
    ASSERT_TRUE(watch.start((folder / "native").string()));
    EXPECT_FALSE(watch.appeared());

    std::ofstream(m_root / "other") << "x";
    fs::create_directory(m_root / "elsewhere");
    EXPECT_FALSE(watch.appeared()) << "nothing of the server's";

    fs::create_directory(folder);
    ASSERT_TRUE(told(watch));
    EXPECT_TRUE(watch.appeared()) << "the folder came";
    std::ofstream(folder / "pid") << "1";
    EXPECT_FALSE(watch.appeared()) << "the server's other files";

    const int server = listenOn(folder / "native");
    ASSERT_TRUE(told(watch));
    EXPECT_TRUE(watch.appeared());
    EXPECT_FALSE(watch.appeared()) << "told once";
    ::close(server);

    // The folder taken away and made again, as a new session would: still watched.
    fs::remove_all(folder);
    EXPECT_FALSE(watch.appeared());
    fs::create_directory(folder);
    EXPECT_TRUE(watch.appeared());
    const int again = listenOn(folder / "native");
    EXPECT_TRUE(watch.appeared());
    ::close(again);
}

// A socket put in place by a rename, as some servers do, is told too.
TEST_F(SocketFolder, TellsASocketMovedIntoPlace) {
    ServerSocketWatch watch;
    ASSERT_TRUE(watch.start((m_root / "native").string()));
    const int server = listenOn(m_root / "native.tmp");
    EXPECT_FALSE(watch.appeared());
    fs::rename(m_root / "native.tmp", m_root / "native");
    EXPECT_TRUE(watch.appeared());
    ::close(server);
}

TEST_F(SocketFolder, CannotWatchWhereNeitherFolderIs) {
    ServerSocketWatch watch;
    EXPECT_FALSE(watch.start((m_root / "no" / "such" / "native").string()));
    EXPECT_EQ(watch.fd(), -1);
    EXPECT_FALSE(watch.appeared());
    ServerSocketWatch bare;
    EXPECT_FALSE(bare.start("native"));
}

} // namespace
} // namespace orvane
