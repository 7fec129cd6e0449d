// SPDX-License-Identifier: MIT
// The file system as the measurement engine sees it: drive paths ("C:\DATA"), one current
// directory per drive with a current drive, handle-based enumerations and attribute reads.
// Every operation reports failure through its return value; none throws for a file-system error.
#pragma once

#include <cstdint>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_attributes.h"

namespace mezu {

class TreeWalk;

// The pattern that selects every name; the only one the engine uses.
inline constexpr std::string_view kEveryName = "*.*";

// The modification time of an entry whose enumeration does not give one.
inline constexpr std::int64_t kUnknownTime = std::numeric_limits<std::int64_t>::min();

// What an enumeration knows of an entry it returned.
struct EntryFigures {
    FileAttributes attributes = kAttrNormal;
    std::uint64_t length = 0;
    std::uint64_t allocated = 0;           // bytes the file system reports as allocated
    std::int64_t modified = kUnknownTime;  // last modification, seconds since 1970-01-01 00:00 UTC
    std::uint32_t links = 0;               // the names the file has (hard links); 0: not known
    std::uint64_t fileId = 0;              // its number on its volume (the inode), when links is known
};

// One enumeration of a directory, started by FileSystem::startEnumeration. Several may be open
// at once; each keeps reading the directory that was current when it started, whatever
// becomes current later. "." and ".." are never returned.
class DirectoryEnumeration {
public:
    virtual ~DirectoryEnumeration() = default;
    // The next name that matches the pattern and mask, or an empty text once the directory is
    // exhausted (or can no longer be read). Names are bare entry names, without a path.
    virtual std::string next() = 0;
    // Why the enumeration missed entries (the directory could not be read to its end, or an
    // entry of it could not be examined), as the system words it; empty when nothing was missed.
    virtual std::string error() const { return {}; }
    // The figures of the entry next() returned last, as FileSystem::attributes, fileLength and
    // allocatedBytes give them for it while its directory is current; nullopt when this
    // enumeration does not know them (then ask the file system), or before the first name.
    virtual std::optional<EntryFigures> lastFigures() const { return std::nullopt; }
};

// What a host path (or a drive path typed by the user) resolves to.
struct ResolvedDirectory {
    std::string drivePath;  // the drive path of the directory; empty when `error` is set
    std::string error;      // the reason the path is not a usable directory
};

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // The drive letters that exist, in order (upper case).
    virtual std::vector<char> drives() const = 0;
    virtual char currentDrive() const = 0;
    // The current directory of the drive as a drive path, or nullopt for an unknown drive.
    virtual std::optional<std::string> currentDirectory(char letter) const = 0;

    // Makes the drive (letter in either case) current. Fails for a drive that does not exist;
    // the current drive is unchanged then.
    virtual bool changeDrive(char letter) = 0;
    // Makes an absolute drive path the current directory of its drive. Fails, changing
    // nothing, when the directory does not exist or cannot be opened.
    virtual bool changeDirectory(const std::string& drivePath) = 0;
    // Makes the subdirectory `name` of the current directory current, `name` as an enumeration
    // gave it. Fails, changing nothing, when it cannot be opened. Backends that keep the tree
    // in memory go there without building the full path.
    virtual bool changeToSubdirectory(const std::string& name);
    // Makes the parent of the current directory current. Fails, changing nothing, at a drive's
    // root or when the parent cannot be opened.
    virtual bool changeToParent();
    // Whether the absolute drive path names a directory that could be made current.
    virtual bool directoryExists(const std::string& drivePath) = 0;

    // Starts enumerating the current directory of the current drive. Returns nullptr when the
    // directory cannot be read or the pattern is not supported (only kEveryName and "*" are).
    virtual std::unique_ptr<DirectoryEnumeration> startEnumeration(std::string_view pattern, FileAttributes mask) = 0;
    // Attribute bits of an entry of the current directory, nullopt when it cannot be read.
    virtual std::optional<FileAttributes> attributes(const std::string& name) = 0;
    // Length in bytes of an entry of the current directory, nullopt when it cannot be read.
    virtual std::optional<std::uint64_t> fileLength(const std::string& name) = 0;
    // Bytes the file system has allocated to an entry of the current directory, as it reports
    // them (less than the length for a sparse or compressed file, more for a preallocated
    // one); nullopt when they cannot be read.
    virtual std::optional<std::uint64_t> allocatedBytes(const std::string& name) = 0;
    // Attribute bits of the entry an absolute drive path names, nullopt when there is none or it
    // cannot be read. The current drive and directories are as they were afterwards.
    virtual std::optional<FileAttributes> attributesOf(const std::string& drivePath);
    // Why the last failed changeDrive, changeDirectory or startEnumeration failed, as the system
    // words it ("Permission denied").
    virtual std::string lastError() const = 0;

    // A walk of the tree below an absolute drive path (see tree_walk.h). By default through this
    // file system's own enumerations, one directory at a time; a backend may read ahead.
    virtual std::unique_ptr<TreeWalk> walkTree(const std::string& drivePath);

    // The names of the subdirectories of an absolute drive path that are neither hidden nor
    // system, for a directory view; in the order the directory lists them. Empty when the
    // directory cannot be read. The current directories are left as they are.
    virtual std::vector<std::string> subdirectoryNames(const std::string& drivePath) = 0;

    // The path on the host system that an absolute drive path stands for, for output that
    // scripts read; nullopt for a path of no drive, or where drives are no host directories.
    virtual std::optional<std::string> hostPath(const std::string& drivePath) const
    {
        static_cast<void>(drivePath);
        return std::nullopt;
    }

    // Maps a path given by the user, a host path or a drive path, to the drive path of an
    // existing directory.
    virtual ResolvedDirectory resolveDirectory(const std::string& userPath) = 0;
};

}  // namespace mezu
