#include "sqlite/sqlite_journal.h"

#include "sqlite/sqlite_journal_detail.h"

#include <sys/stat.h>

#include <ctime>
#include <filesystem>
#include <system_error>

namespace orvane {

namespace fs = std::filesystem;

namespace sqlite_journal {

// "journal.sqlite.damaged-20261207T011500Z": beside the file, never over another.
fs::path asideName(const fs::path& file, const char* why) {
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%dT%H%M%SZ", &utc);
    fs::path aside = file;
    aside += std::string(".") + why + "-" + stamp;
    std::error_code ec;
    for (int n = 2; fs::exists(aside, ec); ++n) {
        aside = file;
        aside += std::string(".") + why + "-" + stamp + "-" + std::to_string(n);
    }
    return aside;
}

} // namespace sqlite_journal

using sqlite_journal::asideName;

// The file as the writer last left it: which file it is, and how long.
void SqliteJournalStore::rememberFile() {
    struct stat st {};
    m_known = ::stat(m_path.c_str(), &st) == 0
                  ? std::optional<FileId>(FileId{st.st_dev, st.st_ino, std::int64_t(st.st_size)})
                  : std::nullopt;
}

bool SqliteJournalStore::replacedMeanwhile() const {
    if (!m_known)
        return false;
    struct stat st {};
    if (::stat(m_path.c_str(), &st) != 0)
        return true;
    return st.st_dev != m_known->device || st.st_ino != m_known->inode ||
           std::int64_t(st.st_size) < m_known->size;
}

void SqliteJournalStore::closeForWriting() {
    sqlite3_finalize(m_insert);
    m_insert = nullptr;
    if (m_db)
        sqlite3_close(m_db);
    m_db = nullptr;
}

// The journal was replaced, removed or cut short under the running program: what is at its
// place now is kept aside, as a damaged journal is, and a new journal is begun there.
void SqliteJournalStore::beginAgain() {
    closeForWriting();
    m_known.reset();
    const fs::path file(m_path);
    std::error_code ec;
    std::string kept = "it is gone";
    if (fs::exists(file, ec)) {
        const fs::path aside = asideName(file, "replaced");
        fs::rename(file, aside, ec);
        kept = ec ? "it could not be put aside: " + ec.message() : "it was kept as " + aside.string();
        for (const char* suffix : {"-wal", "-shm"}) {
            fs::path side = file;
            side += suffix;
            std::error_code ignored;
            fs::remove(side, ignored);
        }
    }
    setNotice("The mission journal at " + m_path +
              " was replaced or cut short while Orvane was running; " + kept +
              ", and a new journal was begun.");
}

} // namespace orvane
