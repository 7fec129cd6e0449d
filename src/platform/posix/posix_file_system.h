// SPDX-License-Identifier: MIT
// The file system on POSIX: drive paths are mapped onto the host through a drive table, the
// current drive and one current directory per drive are emulated (the process's own working
// directory is never changed), and every directory is opened relative to its parent's
// descriptor, so that paths longer than PATH_MAX and trees of any depth work.
//
// Attributes come from lstat and never follow a link (see posix_attributes.h). A "\" in a
// host name appears as "/" in drive paths and names, so every name round-trips exactly.
//
// A walk of a tree (walkTree) reads its directories ahead of the walker on several threads,
// each directory once, relative to its parent's descriptor (see posix_tree_walk.h); every other
// call goes to the disk when it is made.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <chrono>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "platform/file_system.h"
#include "platform/posix/drive_table.h"
#include "platform/posix/mount_point_parents.h"
#include "platform/posix/unique_fd.h"

namespace mezu::posix {

// The most threads that read a walk's directories at once when the user sets no number: as
// many as keep enough reads in flight for a slow disk or a share with a long round trip. While
// reads come from memory only one per core reads (see reader_gate.h).
inline constexpr unsigned kMostReadingThreads = 64;

class PosixFileSystem final : public FileSystem {
public:
    // Starts on the drive holding the process's working directory, with that directory
    // current; on the first drive's root when no drive holds it. A working directory on a
    // drive's path but on another file system than its root is given a letter for the run.
    // Roots should be absolute paths without symbolic links, as realpath gives them.
    // At most `readerThreads` threads, the walker included, read a walk's directories at once;
    // 1 reads them one at a time as the walk reaches them; 0 chooses: up to kMostReadingThreads
    // as the reads show they wait, but on a spinning disk, where parallel reads seek, one at a
    // time while they wait (see reader_gate.h). The table is shared with the process's drive query, which so knows every
    // letter given for the run.
    explicit PosixFileSystem(std::shared_ptr<DriveTable> table, unsigned readerThreads = 0);
    explicit PosixFileSystem(const DriveTable& table, unsigned readerThreads = 0)
        : PosixFileSystem(std::make_shared<DriveTable>(table), readerThreads)
    {
    }

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
    bool changeToSubdirectory(const std::string& name) override;
    std::vector<std::string> subdirectoryNames(const std::string& drivePath) override;
    std::unique_ptr<TreeWalk> walkTree(const std::string& drivePath) override;
    std::string lastError() const override { return lastError_; }
    ResolvedDirectory resolveDirectory(const std::string& userPath) override;
    std::optional<std::string> hostPath(const std::string& drivePath) const override;

private:
    struct Level {
        std::string name;  // host name of the directory; empty for the root
        UniqueFd fd;       // O_PATH descriptor; only the first levels and the last hold one
    };
    struct HostPath {
        char letter = '\0';
        std::vector<std::string> components;  // host names below the drive root
    };

    // A drive path read as model/drive_path.h reads it, its names as the host's; nullopt for none.
    std::optional<HostPath> parseDrivePath(const std::string& drivePath) const;
    // Where a directory (its physical host path and an open descriptor of it) is surveyed: on
    // the drive whose root is its path's longest prefix when that root is on the directory's
    // file system, else under a letter given for the run to the top of its own file system, so
    // that it is rounded with its own cluster size. The reason when no letter is left for it.
    std::variant<DriveLocation, std::string> locateOnItsFileSystem(const std::string& hostPath, int directory);
    std::string formatDrivePath(char letter, const std::vector<std::string>& components) const;
    // Opens a directory of a drive from its root; an invalid descriptor on failure, with errno.
    UniqueFd openDirectory(const HostPath& path) const;
    // The same, for the owner outside commands: when descriptors run short, those the current
    // directory's chain keeps only for speed are closed and it tries again.
    UniqueFd openSparingly(const HostPath& path);
    // Makes `components` of the current drive current, reusing the open levels it shares with
    // the current directory. Changes nothing on failure.
    bool moveCurrentTo(const std::vector<std::string>& components);
    bool openCurrentDrive();
    // Whether `path` lies on a spinning disk, which reading in parallel makes seek.
    bool isOnSpinningDisk(const HostPath& path) const;
    const MountPointParents& mountPointParents();
    // Closes the descriptors of the levels from `from` on, but the last (the current directory).
    void releaseMiddleDescriptors(std::size_t from);
    int currentFd() const;
    std::optional<dev_t> currentDevice();
    // A figure of an entry of the current directory from a fresh lstat; nullopt when the entry
    // cannot be read.
    template <typename FromStatus>
    std::optional<std::uint64_t> entryFigure(const std::string& name, FromStatus fromStatus);

    std::shared_ptr<DriveTable> table_;  // never null
    unsigned readerThreads_;
    std::map<char, std::string> currentDirectories_;  // drive paths, one per drive that has one
    char currentDrive_ = '\0';
    std::vector<Level> chain_;  // the current directory of the current drive, root first
    std::optional<dev_t> currentDevice_;

    // Read again for a walk once they are older than this.
    static constexpr std::chrono::seconds kMountsFresh{2};
    std::optional<MountPointParents> mountPointParents_;
    std::chrono::steady_clock::time_point mountPointParentsRead_;
    std::string lastError_;
};

}  // namespace mezu::posix
