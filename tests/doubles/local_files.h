#pragma once

// Files on the real file system, without Qt: what the scenario runner and the tests use, so
// that a script's write-file and the program's own saves meet in one real folder.

#include "services/services.h"

#include <string>

namespace orvane {

class LocalFiles : public Files {
  public:
    FileContent read(const std::string& path, std::size_t limit) override;
    // Writes a temporary file beside the file PATH names and renames it over that file once
    // it is complete.
    std::string writeWhole(const std::string& path, const std::string& content) override;
    KeepCopy keepCopy(const std::string& path, const std::string& copy) override;
    bool isWritableFolder(const std::string& folder) override;
    std::string userDataFolder() override { return userData; }

    // The folder userDataFolder() names; empty for none.
    std::string userData;
    // When not empty, every write fails with this reason and touches nothing (a full disk).
    std::string refuseWrites;
};

} // namespace orvane
