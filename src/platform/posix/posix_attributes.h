// SPDX-License-Identifier: MIT
// How lstat figures map to the attribute bits the walk sees.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <optional>
#include <string>

#include "platform/file_attributes.h"
#include "platform/file_system.h"

namespace mezu::posix {

// A name beginning with "." is hidden; anything that is neither a regular file nor a directory,
// and a directory on another device than its parent (a mount point), is system; read-only
// means the owner may not write.
FileAttributes attributesFromStatus(const char* hostName, const struct stat& status, std::optional<dev_t> parentDevice);

// Bytes the file system reports as allocated to the entry (st_blocks in 512-byte units);
// nullopt for a count no 64-bit figure holds, which no real file system reports.
std::optional<std::uint64_t> allocatedBytesOf(const struct stat& status);

// All three figures of an entry from its lstat; a length or allocation no figure holds is 0.
EntryFigures figuresFromStatus(const char* hostName, const struct stat& status, std::optional<dev_t> parentDevice);

// Names as the core sees them: a "\" in a host name (which cannot hold "/") shows as "/", so
// that it never reads as a path separator.
std::string toDriveName(std::string name);
std::string toHostName(std::string name);

}  // namespace mezu::posix
