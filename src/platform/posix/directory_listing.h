// One read of a directory: every entry but "." and "..", with its attributes and length from
// lstat, in the order the directory lists them. Names are kept packed in one buffer, as drive
// names ("\" shown as "/"), so a listing costs about 24 bytes an entry plus its name.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_attributes.h"

namespace mezu::posix {

struct DirectoryListing {
    struct Entry {
        std::uint32_t nameOffset = 0;
        std::uint32_t nameLength = 0;
        FileAttributes attributes = kAttrNormal;
        std::uint64_t length = 0;
    };

    static constexpr std::size_t kNotFound = static_cast<std::size_t>(-1);

    bool readable = false;  // false: the directory could be opened but not read; no entries
    std::string names;
    std::vector<Entry> entries;

    std::string_view name(std::size_t index) const
    {
        const Entry& entry = entries[index];
        return std::string_view{names}.substr(entry.nameOffset, entry.nameLength);
    }
    // The index of the entry with this drive name, trying `hint` first; kNotFound if none.
    std::size_t find(std::string_view driveName, std::size_t hint) const;
};

// Reads the directory open (for reading) at `fd`. An entry that vanishes between being listed
// and being examined is left out. `readable` is false when the entries cannot be read.
DirectoryListing readListing(int fd);

}  // namespace mezu::posix
