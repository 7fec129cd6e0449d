// SPDX-License-Identifier: MIT
// The allocation the file system keeps for each entry of one directory, read in one pass over
// the directory when first asked for (GetFileInformationByHandleEx with FileFullDirectoryInfo,
// the same record the directory's enumeration reads), so that a measurement in the allocated
// size mode opens no handle per file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>

namespace mezu::win32 {

class DirectoryAllocations {
public:
    // `systemDirectory` in the form the system takes (extended where needed).
    explicit DirectoryAllocations(std::wstring systemDirectory)
        : systemDirectory_(std::move(systemDirectory))
    {
    }

    // The bytes allocated to the entry `name` as the directory listed it; nullopt when the
    // directory could not be read this way or did not list the name when it was read.
    std::optional<std::uint64_t> of(const std::string& name);

private:
    void read();

    std::wstring systemDirectory_;
    bool read_ = false;
    std::unordered_map<std::string, std::uint64_t> bytes_;
};

}  // namespace mezu::win32
