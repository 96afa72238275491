#pragma once

// Reading and keeping small files on a POSIX system, for every Files service: a launch data
// file is a small regular file, and nothing the user names (a pipe, a device, a huge file)
// may block the program or fill its memory.

#include "services/services.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace orvane {

// Reads PATH whole when it is a regular file of at most LIMIT bytes. A pipe or a device is
// refused without waiting on it, and a larger file without reading more than LIMIT bytes.
FileContent readSmallFile(const std::string& path, std::size_t limit);

// Copies the regular file PATH into COPY, a file that must not exist yet: an existing COPY is
// never replaced (KeepCopy::taken). The copy gets PATH's permissions.
KeepCopy keepCopyOf(const std::string& path, const std::string& copy);

// Why PATH may not be written over, in words, or empty: a folder, a device, a pipe or a socket
// is never replaced by a file. "-" (standard output), a new path and a regular file (or a link
// to one) may be written.
std::string whyNotWritable(const std::string& path);

// A file written whole or not at all, in pieces as they come: the pieces go to a new file beside
// PATH (through its symbolic links), which takes PATH's place in one rename once it is complete
// and stored, keeping the old file's permissions. PATH "-" is standard output. Every failure is
// said in the system's words; the old file stays as it was.
class FileWriter {
  public:
    explicit FileWriter(const std::string& path);
    // Without commit(), the new file goes and the old one stays.
    ~FileWriter();
    FileWriter(const FileWriter&) = delete;
    FileWriter& operator=(const FileWriter&) = delete;

    // Why the file cannot be written, or empty while all is well.
    const std::string& error() const { return m_error; }
    // False once anything has failed.
    bool write(std::string_view bytes);
    // Stores the file and puts it in PATH's place; empty on success, else why not.
    std::string commit();

  private:
    void fail(std::string why);
    void discard();
    bool flushBuffer();
    bool writeNow(std::string_view bytes);

    static constexpr std::size_t BufferBytes = 64 * 1024;
    std::string m_buffer;
    std::string m_target; // the file written over, at the end of its links
    std::string m_temp;   // the new file beside it; empty for standard output
    int m_fd = -1;
    int m_mode = -1; // the old file's permissions, when there was one
    std::string m_error;
};

// Writes CONTENT as the whole of PATH, as FileWriter does; empty on success, else why not.
std::string writeFileWhole(const std::string& path, std::string_view content);

} // namespace orvane
