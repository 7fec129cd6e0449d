// The file system on POSIX: drive paths are mapped onto the host through a drive table, the
// current drive and one current directory per drive are emulated (the process's own working
// directory is never changed), and every directory is opened relative to its parent's
// descriptor, so that paths longer than PATH_MAX and trees of any depth work.
//
// Attributes come from lstat and never follow a link (see posix_attributes.h). A "\" in a
// host name appears as "/" in drive paths and names, so every name round-trips exactly.
//
// While a command runs (commandStarted to commandFinished), each directory is read once, with
// every entry's lstat, and kept for the rest of the command; reader threads read ahead of the
// walk. Outside commands every call goes to the disk.
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "platform/file_system.h"
#include "platform/posix/directory_listing.h"
#include "platform/posix/drive_table.h"
#include "platform/posix/listing_cache.h"
#include "platform/posix/unique_fd.h"

namespace mezu::posix {

// Threads that read directories during a command: two per core, so that while some wait for
// the disk the others keep the cores busy; on a cold cache they read faster than one per core.
// While reads come from memory only one per core reads (see reader_gate.h).
unsigned defaultReaderThreads();

class PosixFileSystem final : public FileSystem {
public:
    // Starts on the drive holding the process's working directory, with that directory
    // current; on the first drive's root when no drive holds it. A working directory on a
    // drive's path but on another file system than its root is given a letter for the run.
    // Roots should be absolute paths without symbolic links, as realpath gives them.
    // `readerThreads` threads read a command's directories; 1 reads them one at a time as the
    // walk reaches them (the choice for spinning disks), 0 does not keep them at all. The table
    // is shared with the process's drive query, which so knows every letter given for the run.
    explicit PosixFileSystem(std::shared_ptr<DriveTable> table, unsigned readerThreads = defaultReaderThreads());
    explicit PosixFileSystem(DriveTable table, unsigned readerThreads = defaultReaderThreads())
        : PosixFileSystem(std::make_shared<DriveTable>(std::move(table)), readerThreads)
    {
    }

    std::vector<char> drives() const override;
    char currentDrive() const override { return currentDrive_; }
    std::optional<std::string> currentDirectory(char letter) const override;
    bool changeDrive(char letter) override;
    bool changeDirectory(const std::string& drivePath) override;
    bool directoryExists(const std::string& drivePath) override;
    std::unique_ptr<DirectoryEnumeration> startEnumeration(std::string_view pattern,
                                                           FileAttributes mask) override;
    std::optional<FileAttributes> attributes(const std::string& name) override;
    std::optional<std::uint64_t> fileLength(const std::string& name) override;
    std::optional<std::uint64_t> allocatedBytes(const std::string& name) override;
    bool changeToSubdirectory(const std::string& name) override;
    bool changeToParent() override;
    std::vector<std::string> subdirectoryNames(const std::string& drivePath) override;
    void commandStarted() override;
    void commandFinished() override;
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
    // While a command keeps listings: makes a directory given in canonical form current on
    // its drive. Changes nothing when it cannot be opened.
    bool changeToListed(char letter, const std::string& canonicalPath);
    // While a command keeps listings: the current directory of the current drive. Its drive
    // path is built only when asked for (`pathStale`), so that moving through a deep tree does
    // not build every path on the way.
    void makeCurrent(ListingCache::Slot& slot, const DirectoryListing& listing, bool pathStale);
    void settleCurrentPath();
    // Reads the current directory's listing if no call has yet; false when it cannot be opened.
    bool useCurrentListing();
    // Closes the descriptors of the levels from `from` on, but the last (the current directory).
    void releaseMiddleDescriptors(std::size_t from);
    // Outside commands: opens a subdirectory of the current directory relative to it.
    bool openSubdirectory(const std::string& name);
    int currentFd() const;
    std::optional<dev_t> currentDevice();
    std::optional<std::size_t> currentEntry(const std::string& name);
    // While a command keeps listings: the figures of an entry of the current directory.
    std::optional<EntryFigures> listedFigures(const std::string& name);
    // A figure of an entry of the current directory: from the command's listing while one
    // runs, else from a fresh lstat; nullopt when the entry cannot be read.
    template <typename FromListing, typename FromStatus>
    std::optional<std::uint64_t> entryFigure(const std::string& name, FromListing fromListing, FromStatus fromStatus);

    std::shared_ptr<DriveTable> table_;  // never null
    unsigned readerThreads_;
    std::map<char, std::string> currentDirectories_;  // drive paths, one per drive that has one
    char currentDrive_ = '\0';
    std::vector<Level> chain_;  // the current directory of the current drive, root first
    std::optional<dev_t> currentDevice_;

    std::shared_ptr<ListingCache> listings_;  // while a command runs
    ListingCache::Slot* currentSlot_ = nullptr;         // kept by listings_; null until used
    const DirectoryListing* currentListing_ = nullptr;  // its listing
    bool currentPathStale_ = false;  // currentDirectories_ lags behind currentSlot_
    std::string lastError_;
};

}  // namespace mezu::posix
