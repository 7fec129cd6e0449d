// SPDX-License-Identifier: MIT
// The file system on Windows: drive paths are the system's own; the current drive and one
// current directory per drive are kept here (the process's working directory is never
// changed). Every path reaches the system in the extended "\\?\" form, so paths beyond
// MAX_PATH work. Names are UTF-8 here and UTF-16 in the system.
//
// Attributes and lengths of what an enumeration returns come from the enumeration itself: the
// walk's reads of the entry it was just given need no further call. A directory that is a
// reparse point (junction, directory link, mount point) is reported as a system entry that is
// not a directory, so the walk never enters it, as a symbolic link on POSIX.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/win32/directory_allocations.h"
#include "platform/win32/drive_roots.h"

namespace mezu::win32 {

// The entry an enumeration returned last, kept for the attribute, length and allocation reads
// that follow.
struct FoundEntry {
    std::string directory;  // drive path of the enumerated directory; empty when none
    std::string name;
    FileAttributes attributes = 0;
    std::uint64_t length = 0;
    // The allocations of the enumerated directory's entries, shared by the entries of one
    // enumeration and read once, when first asked for.
    std::shared_ptr<DirectoryAllocations> allocations;
};

class Win32FileSystem final : public FileSystem {
public:
    // Starts on the drive of the process's working directory with that directory current; on
    // the first drive's root when the working directory is not on a drive. At most
    // `readerThreads` threads, the walker included, read a walk's directories at once; 0: as
    // many as the reads show they wait for, up to kMostReadingThreads (see reader_gate.h).
    explicit Win32FileSystem(DriveRoots roots = DriveRoots::systemDrives(), unsigned readerThreads = 0);

    std::vector<char> drives() const override;
    char currentDrive() const override { return currentDrive_; }
    std::optional<std::string> currentDirectory(char letter) const override;
    bool changeDrive(char letter) override;
    bool changeDirectory(const std::string& drivePath) override;
    bool directoryExists(const std::string& drivePath) override;
    std::unique_ptr<DirectoryEnumeration> startEnumeration(std::string_view pattern, FileAttributes mask) override;
    std::optional<FileAttributes> attributes(const std::string& name) override;
    std::optional<std::uint64_t> fileLength(const std::string& name) override;
    std::optional<std::uint64_t> allocatedBytes(const std::string& name) override;
    std::vector<std::string> subdirectoryNames(const std::string& drivePath) override;
    std::string lastError() const override { return lastError_; }
    ResolvedDirectory resolveDirectory(const std::string& userPath) override;
    // The system path a drive path stands for: itself for the system's drives, below the
    // directory a --drive letter stands for; nullopt for a letter without a drive.
    std::optional<std::string> hostPath(const std::string& drivePath) const override;
    std::unique_ptr<TreeWalk> walkTree(const std::string& drivePath) override;

    static constexpr unsigned kMostReadingThreads = 64;

private:
    bool driveExists(char letter) const;
    bool isEnterable(const std::string& canonicalDrivePath) const;
    // The entry of the current directory from the last enumeration, if it is that one.
    const FoundEntry* foundInCurrent(const std::string& name) const;
    // Keeps the system's reason for the call that just failed; returns false for the caller.
    bool failed();

    DriveRoots roots_;
    unsigned readerThreads_;
    std::map<char, std::string> currentDirectories_;  // drive paths, one per drive that has one
    char currentDrive_ = '\0';
    std::shared_ptr<FoundEntry> lastFound_ = std::make_shared<FoundEntry>();
    std::string lastError_;
};

}  // namespace mezu::win32
