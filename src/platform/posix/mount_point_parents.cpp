// SPDX-License-Identifier: MIT
#include "platform/posix/mount_point_parents.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>

#include "platform/posix/mount_table.h"

namespace mezu::posix {

MountPointParents MountPointParents::of(const std::vector<std::string>& mountPoints)
{
    MountPointParents parents;
    for (const std::string& mountPoint : mountPoints) {
        const std::size_t slash = mountPoint.find_last_of('/');
        if (slash == std::string::npos) {
            return {};
        }
        const std::string parent = slash == 0 ? std::string{"/"} : mountPoint.substr(0, slash);
        struct stat status {};
        if (::fstatat(AT_FDCWD, parent.c_str(), &status, AT_SYMLINK_NOFOLLOW | AT_NO_AUTOMOUNT) == 0) {
            parents.parents_.emplace_back(status.st_dev, status.st_ino);
        } else if (errno != EACCES && errno != ENOENT && errno != ENOTDIR) {
            return {};
        }
    }
    std::sort(parents.parents_.begin(), parents.parents_.end());
    parents.known_ = true;
    return parents;
}

MountPointParents MountPointParents::ofThisMachine()
{
    const std::optional<std::vector<MountedFileSystem>> mounts = mountsFromMountInfo(thisMachinesMountInfo());
    if (!mounts) {
        return {};
    }
    std::vector<std::string> mountPoints;
    for (const MountedFileSystem& mount : *mounts) {
        mountPoints.push_back(mount.mountPoint);
    }
    return of(mountPoints);
}

bool MountPointParents::mayHoldMountPoint(std::uint64_t device, std::uint64_t inode) const
{
    return !known_ || std::binary_search(parents_.begin(), parents_.end(), std::pair{device, inode});
}

}  // namespace mezu::posix
