// The file system on POSIX: drive paths are mapped onto the host through a drive table, the
// current drive and one current directory per drive are emulated (the process's own working
// directory is never changed), and every directory is opened relative to its parent's
// descriptor, so that paths longer than PATH_MAX and trees of any depth work.
//
// Attributes come from lstat and never follow a link: a name beginning with "." is hidden;
// anything that is neither a regular file nor a directory, and a directory on which another
// file system is mounted, is system; read-only means the owner may not write. A "\" in a host
// name appears as "/" in drive paths and names (a host name cannot hold "/"), so every name
// round-trips exactly.
#pragma once

#include <sys/types.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/posix/drive_table.h"
#include "platform/posix/unique_fd.h"

namespace mezu::posix {

class PosixFileSystem final : public FileSystem {
public:
    // Starts on the drive holding the process's working directory, with that directory
    // current; on the first drive's root when no drive holds it. Roots should be absolute
    // paths without symbolic links, as realpath gives them.
    explicit PosixFileSystem(DriveTable table);

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
    std::vector<std::string> subdirectoryNames(const std::string& drivePath) override;
    ResolvedDirectory resolveDirectory(const std::string& userPath) override;

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
    std::string formatDrivePath(char letter, const std::vector<std::string>& components) const;
    // Opens a directory of a drive from its root; an invalid descriptor on failure, with errno.
    UniqueFd openDirectory(const HostPath& path) const;
    // Makes `components` of the current drive current, reusing the open levels it shares with
    // the current directory. Changes nothing on failure.
    bool moveCurrentTo(const std::vector<std::string>& components);
    void releaseMiddleDescriptors();
    int currentFd() const;
    std::optional<dev_t> currentDevice();

    DriveTable table_;
    std::map<char, std::vector<std::string>> currentDirectories_;
    char currentDrive_ = '\0';
    std::vector<Level> chain_;  // the current directory of the current drive, root first
    std::optional<dev_t> currentDevice_;
};

}  // namespace mezu::posix
