#pragma once

// Reading and keeping small files on a POSIX system, for every Files service: a launch data
// file is a small regular file, and nothing the user names (a pipe, a device, a huge file)
// may block the program or fill its memory.

#include "services/services.h"

#include <cstddef>
#include <string>

namespace orvane {

// Reads PATH whole when it is a regular file of at most LIMIT bytes. A pipe or a device is
// refused without waiting on it, and a larger file without reading more than LIMIT bytes.
FileContent readSmallFile(const std::string& path, std::size_t limit);

// Copies the regular file PATH into COPY, a file that must not exist yet: an existing COPY is
// never replaced (KeepCopy::taken). The copy gets PATH's permissions.
KeepCopy keepCopyOf(const std::string& path, const std::string& copy);

} // namespace orvane
