#include "services/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace orvane {

namespace {

std::string lastError() {
    return std::strerror(errno);
}

// Closes a descriptor when it goes out of scope.
class Descriptor {
  public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return m_fd; }
    // Closes it now, and says why when that fails (a copy not stored whole).
    std::string close() {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0 ? std::string() : lastError();
    }

  private:
    int m_fd;
};

// Opened without blocking: opening a pipe for reading would otherwise wait for a writer.
int openForReading(const std::string& path) {
    return ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
}

const char* notAFile(const struct stat& st) {
    if (S_ISDIR(st.st_mode))
        return "Is a directory";
    return "it is not a file but a pipe, a socket or a device";
}

} // namespace

FileContent readSmallFile(const std::string& path, std::size_t limit) {
    const Descriptor fd(openForReading(path));
    if (fd.get() < 0)
        return {std::nullopt, errno == ENOENT, false, lastError()};
    struct stat st {};
    if (::fstat(fd.get(), &st) != 0)
        return {std::nullopt, false, false, lastError()};
    if (!S_ISREG(st.st_mode))
        return {std::nullopt, false, false, notAFile(st)};
    if (std::uint64_t(st.st_size) > limit)
        return {std::nullopt, false, true, {}};
    // A file that grows while it is read is still cut off at the limit.
    std::string content(limit + 1, '\0');
    std::size_t done = 0;
    while (done < content.size()) {
        const ssize_t n = ::read(fd.get(), content.data() + done, content.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return {std::nullopt, false, false, lastError()};
        if (n == 0)
            break;
        done += std::size_t(n);
    }
    if (done > limit)
        return {std::nullopt, false, true, {}};
    content.resize(done);
    return {std::move(content), false, false, {}};
}

KeepCopy keepCopyOf(const std::string& path, const std::string& copy) {
    const Descriptor from(openForReading(path));
    if (from.get() < 0)
        return {false, errno == ENOENT, false, errno == ENOENT ? std::string() : lastError()};
    struct stat st {};
    if (::fstat(from.get(), &st) != 0)
        return {false, false, false, lastError()};
    if (!S_ISREG(st.st_mode))
        return {false, false, false, notAFile(st)};
    Descriptor to(::open(copy.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY,
                         st.st_mode & 07777));
    if (to.get() < 0)
        return {false, false, errno == EEXIST, errno == EEXIST ? std::string() : lastError()};
    std::string why;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(from.get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            why = lastError();
            break;
        }
        if (n == 0)
            break;
        for (ssize_t written = 0; written < n && why.empty();) {
            const ssize_t w = ::write(to.get(), buffer + written, std::size_t(n - written));
            if (w < 0 && errno != EINTR)
                why = lastError();
            else if (w > 0)
                written += w;
        }
        if (!why.empty())
            break;
    }
    if (why.empty() && ::fsync(to.get()) != 0)
        why = lastError();
    const std::string closed = to.close();
    if (why.empty())
        why = closed;
    if (!why.empty()) {
        // A copy cut short is no copy: it goes, so the name stays free.
        ::unlink(copy.c_str());
        return {false, false, false, why};
    }
    return {true, false, false, {}};
}

} // namespace orvane
