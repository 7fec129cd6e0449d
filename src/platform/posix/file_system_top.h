// SPDX-License-Identifier: MIT
// Where the file system holding a directory begins on the way down to it: its mount point, the
// mount point of a bind mount, or the top of a btrfs subvolume that is not mounted on its own.
#pragma once

#include <string>

namespace mezu::posix {

// The highest ancestor of a directory (given by its physical host path and an open descriptor
// of it) that ".." reaches without leaving the directory's device, as a host path. Where an
// ancestor cannot be examined the climb ends below it: the answer is then a directory lower
// down on the same file system. Any depth works; no path is opened but "..".
std::string fileSystemTop(const std::string& hostPath, int directory);

}  // namespace mezu::posix
