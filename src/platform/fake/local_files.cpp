#include "platform/fake/local_files.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace orvane {

namespace {

std::string lastError() {
    return std::strerror(errno);
}

} // namespace

FileContent LocalFiles::read(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec))
        return {std::nullopt, true, "No such file or directory"};
    if (std::filesystem::is_directory(path, ec))
        return {std::nullopt, false, "Is a directory"};
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return {std::nullopt, false, lastError()};
    std::string content{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad())
        return {std::nullopt, false, lastError()};
    return {std::move(content), false, {}};
}

std::string LocalFiles::writeWhole(const std::string& path, const std::string& content) {
    if (!refuseWrites.empty())
        return refuseWrites;
    std::string temp = path + ".XXXXXX";
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
    if (why.empty() && (::fchmod(fd, 0644) != 0 || ::fsync(fd) != 0))
        why = lastError();
    if (::close(fd) != 0 && why.empty())
        why = lastError();
    // The new file takes the old one's place only once it is whole, in one rename.
    if (why.empty() && std::rename(temp.c_str(), path.c_str()) == 0)
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
