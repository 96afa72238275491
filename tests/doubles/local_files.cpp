#include "doubles/local_files.h"

#include "services/file_io.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace orvane {

namespace {

std::string lastError() {
    return std::strerror(errno);
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

} // namespace

FileContent LocalFiles::read(const std::string& path, std::size_t limit) {
    return readSmallFile(path, limit);
}

KeepCopy LocalFiles::keepCopy(const std::string& path, const std::string& copy) {
    return keepCopyOf(path, copy);
}

// A symbolic link is written through, to the file it names, and the file keeps its
// permissions, as the program's own saves do.
std::string LocalFiles::writeWhole(const std::string& path, const std::string& content) {
    if (!refuseWrites.empty())
        return refuseWrites;
    const std::string target = linkTarget(path);
    mode_t mode = 0644;
    if (struct stat st{}; ::stat(target.c_str(), &st) == 0)
        mode = st.st_mode & 07777;
    std::string temp = target + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return lastError();
    std::string why;
    for (std::size_t done = 0; done < content.size() && why.empty();) {
        const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
        if (n < 0 && errno != EINTR)
            why = lastError();
        else if (n > 0)
            done += std::size_t(n);
    }
    if (why.empty() && (::fchmod(fd, mode) != 0 || ::fsync(fd) != 0))
        why = lastError();
    if (::close(fd) != 0 && why.empty())
        why = lastError();
    // The new file takes the old one's place only once it is whole, in one rename.
    if (why.empty() && std::rename(temp.c_str(), target.c_str()) == 0)
        return {};
    if (why.empty())
        why = lastError();
    ::unlink(temp.c_str());
    return why;
}

bool LocalFiles::isWritableFolder(const std::string& folder) {
    std::error_code ec;
    return std::filesystem::is_directory(folder, ec) && ::access(folder.c_str(), W_OK) == 0;
}

} // namespace orvane
