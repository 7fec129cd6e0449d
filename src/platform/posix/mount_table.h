// SPDX-License-Identifier: MIT
// The mounts of a /proc/self/mountinfo text as libmount parses and classifies them: which file
// system each one mounts (a btrfs subvolume counting as a file system of its own), whether it
// mounts that file system from its root or only a directory of it (a bind mount), and whether
// it is the kind that holds user files. The text of a sample and of this machine go through
// the same code.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mezu::posix {

struct MountedFileSystem {
    // Tells file systems apart: the device number, and for btrfs the subvolume as well, since
    // every subvolume of one btrfs shows the same device in mountinfo.
    std::string fileSystem;
    std::string mountPoint;  // unescaped host path
    // The directory of the file system mounted there ("/", or a btrfs subvolume's path, unless
    // a bind mount shows a directory of it).
    std::string shownDirectory = "/";
    bool fromItsRoot = true;  // false for a bind mount of a directory of the file system
    // Disk, network and fuse file systems, btrfs subvolumes, ZFS datasets and a tmpfs at /tmp;
    // not proc, sysfs, cgroups, devices, other memory file systems, overlays, nor read-only
    // images (squashfs, erofs) and portals that show files of other mounts again.
    bool holdsUserFiles = false;
};

// The mounts in the order of the text (the order they were made in); a line libmount cannot
// parse is left out. nullopt for an empty text or one libmount gives up on.
std::optional<std::vector<MountedFileSystem>> mountsFromMountInfo(std::string_view mountInfo);

// The text of this process's /proc/self/mountinfo; empty when it cannot be read.
std::string thisMachinesMountInfo();

}  // namespace mezu::posix
