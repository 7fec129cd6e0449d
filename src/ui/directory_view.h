// SPDX-License-Identifier: MIT
// The lines of the classic directory view: the open directory's ancestors from the drive root
// down to it, then the subdirectories that can be opened from it (hidden and system ones are
// not shown, just as the walk leaves them out).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace mezu {

struct DirectoryViewEntry {
    std::string label;  // "C:\" for the root, the directory's own name otherwise
    std::string path;   // its full drive path, the text Dir1 takes when it is opened
    std::size_t depth;  // 0 for the root; the indentation level
    bool isOpen;        // the open directory itself
};

// Subdirectories are listed in name order, ignoring case, as a directory box shows them.
std::vector<DirectoryViewEntry> directoryViewEntries(FileSystem& fileSystem, const std::string& openPath);

}  // namespace mezu
