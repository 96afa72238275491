#include "doubles/local_files.h"

#include "services/file_io.h"

#include <unistd.h>

#include <filesystem>

namespace orvane {

FileContent LocalFiles::read(const std::string& path, std::size_t limit) {
    return readSmallFile(path, limit);
}

KeepCopy LocalFiles::keepCopy(const std::string& path, const std::string& copy) {
    return keepCopyOf(path, copy);
}

// As the program's own saves: through a symbolic link, keeping the file's permissions, never
// over what is not a regular file.
std::string LocalFiles::writeWhole(const std::string& path, const std::string& content) {
    if (!refuseWrites.empty())
        return refuseWrites;
    return writeFileWhole(path, content);
}

bool LocalFiles::isWritableFolder(const std::string& folder) {
    std::error_code ec;
    return std::filesystem::is_directory(folder, ec) && ::access(folder.c_str(), W_OK) == 0;
}

} // namespace orvane
