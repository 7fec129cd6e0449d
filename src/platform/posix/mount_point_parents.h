// SPDX-License-Identifier: MIT
// The directories that hold a mount point, known by device and inode. Only in them can an entry
// be the root of another file system; in any other directory a subdirectory can be opened
// before it is examined without entering another file system (or setting off an automount).
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace mezu::posix {

class MountPointParents {
public:
    // Nothing known: any directory may hold a mount point.
    MountPointParents() = default;

    // The parents of these mount points (host paths), each examined with lstat now. A parent
    // this process may not reach (or that is gone) holds nothing it could enter; when another
    // cannot be examined, nothing is known.
    static MountPointParents of(const std::vector<std::string>& mountPoints);
    // Those of the mounts this process sees now.
    static MountPointParents ofThisMachine();

    bool mayHoldMountPoint(std::uint64_t device, std::uint64_t inode) const;

private:
    bool known_ = false;
    std::vector<std::pair<std::uint64_t, std::uint64_t>> parents_;  // device and inode, sorted
};

}  // namespace mezu::posix
