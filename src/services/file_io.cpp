#include "services/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>

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

// The file a path names at the end of its symbolic links, even when that file does not exist
// yet; PATH itself when it is no link.
std::string linkTarget(const std::string& path) {
    std::filesystem::path at = path;
    std::error_code ec;
    for (int hops = 0; hops < 40 && std::filesystem::is_symlink(at, ec); ++hops) {
        const std::filesystem::path next = std::filesystem::read_symlink(at, ec);
        if (ec)
            break;
        at = next.is_absolute() ? next : at.parent_path() / next;
    }
    return at.string();
}

// What a thing that is no regular file is, in words; empty for a regular file.
std::string notARegularFile(const struct stat& st) {
    if (S_ISREG(st.st_mode))
        return {};
    if (S_ISDIR(st.st_mode))
        return "it is a folder, not a file";
    if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode))
        return "it is a device, not a file";
    if (S_ISFIFO(st.st_mode))
        return "it is a pipe, not a file";
    if (S_ISSOCK(st.st_mode))
        return "it is a socket, not a file";
    return "it is not a regular file";
}

bool isStandardOutput(const std::string& path) {
    return path == "-";
}

} // namespace

std::string whyNotWritable(const std::string& path) {
    if (isStandardOutput(path))
        return {};
    if (path.empty())
        return "no file is named";
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return errno == ENOENT ? std::string() : lastError();
    return notARegularFile(st);
}

FileWriter::FileWriter(const std::string& path) {
    if (isStandardOutput(path)) {
        m_fd = STDOUT_FILENO;
        return;
    }
    if (std::string why = whyNotWritable(path); !why.empty()) {
        fail(std::move(why));
        return;
    }
    m_target = linkTarget(path);
    if (struct stat st {}; ::stat(m_target.c_str(), &st) == 0)
        m_mode = int(st.st_mode & 07777);
    // A name of its own beside the target, so the rename stays within one file system.
    std::random_device random;
    for (int attempt = 0; attempt < 100 && m_fd < 0; ++attempt) {
        m_temp = m_target + "." + std::to_string(random() % 1000000) + ".part";
        m_fd = ::open(m_temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
        if (m_fd < 0 && errno != EEXIST) {
            m_temp.clear();
            fail(lastError());
            return;
        }
    }
    if (m_fd < 0) {
        m_temp.clear();
        fail("no free name for a temporary file beside it");
    }
}

FileWriter::~FileWriter() {
    discard();
}

void FileWriter::fail(std::string why) {
    if (m_error.empty())
        m_error = std::move(why);
    discard();
}

void FileWriter::discard() {
    if (m_fd > STDERR_FILENO)
        ::close(m_fd);
    m_fd = -1;
    if (!m_temp.empty())
        ::unlink(m_temp.c_str());
    m_temp.clear();
}

bool FileWriter::write(std::string_view bytes) {
    // Small pieces gather first, so that a row at a time costs no call of its own.
    if (m_error.empty() && m_buffer.size() + bytes.size() <= BufferBytes) {
        m_buffer.append(bytes);
        return true;
    }
    return flushBuffer() && writeNow(bytes);
}

bool FileWriter::flushBuffer() {
    const std::string pending = std::move(m_buffer);
    m_buffer.clear();
    return writeNow(pending);
}

bool FileWriter::writeNow(std::string_view bytes) {
    while (m_error.empty() && !bytes.empty()) {
        const ssize_t n = ::write(m_fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            fail(n < 0 ? lastError() : std::string("nothing more could be written"));
        else
            bytes.remove_prefix(std::size_t(n));
    }
    return m_error.empty();
}

std::string FileWriter::commit() {
    if (!flushBuffer())
        return m_error;
    if (m_temp.empty()) // standard output: nothing to put in place
        return {};
    if ((m_mode >= 0 && ::fchmod(m_fd, mode_t(m_mode)) != 0) || ::fsync(m_fd) != 0) {
        fail(lastError());
        return m_error;
    }
    const int fd = m_fd;
    m_fd = -1;
    if (::close(fd) != 0) {
        fail(lastError());
        return m_error;
    }
    // Something put in the target's place while the file was written is not replaced either.
    if (std::string why = whyNotWritable(m_target); !why.empty()) {
        fail(std::move(why));
        return m_error;
    }
    if (std::rename(m_temp.c_str(), m_target.c_str()) != 0) {
        fail(lastError());
        return m_error;
    }
    m_temp.clear();
    // The rename itself stored, as far as the folder lets it be.
    const std::string folder = std::filesystem::path(m_target).parent_path().string();
    const Descriptor dir(::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_CLOEXEC));
    if (dir.get() >= 0)
        ::fsync(dir.get());
    return {};
}

std::string writeFileWhole(const std::string& path, std::string_view content) {
    FileWriter out(path);
    out.write(content);
    return out.commit();
}

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
