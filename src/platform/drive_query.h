// SPDX-License-Identifier: MIT
// The drive geometry and free-space query (GetDiskFreeSpace on Windows, statvfs on POSIX).
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace mezu {

// The four figures of the volume that holds a drive root. 64-bit so that large volumes are
// reported in full.
struct DiskFreeSpace {
    std::uint64_t sectorsPerCluster = 0;
    std::uint64_t bytesPerSector = 0;
    std::uint64_t freeClusters = 0;
    std::uint64_t totalClusters = 0;
};

class DriveQuery {
public:
    virtual ~DriveQuery() = default;
    // Queries the drive of a root such as "C:\" (letter in either case). nullopt when the drive
    // does not exist or does not answer.
    virtual std::optional<DiskFreeSpace> getDiskFreeSpace(const std::string& root) = 0;
};

}  // namespace mezu
