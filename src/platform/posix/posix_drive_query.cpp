// SPDX-License-Identifier: MIT
#include "platform/posix/posix_drive_query.h"

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>

#include <fstream>
#include <string>

namespace mezu::posix {
namespace {

constexpr std::uint64_t kDefaultSectorSize = 512;

std::uint64_t readNumber(const std::string& file)
{
    std::ifstream in{file};
    std::uint64_t value = 0;
    return (in >> value) ? value : 0;
}

// The logical block size of the device holding `path`: the device's own queue for a whole
// disk, its parent's for a partition.
std::uint64_t logicalSectorSize(const std::string& path)
{
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        return kDefaultSectorSize;
    }
    const std::string device =
        "/sys/dev/block/" + std::to_string(major(status.st_dev)) + ":" + std::to_string(minor(status.st_dev));
    for (const char* queue : {"/queue/logical_block_size", "/../queue/logical_block_size"}) {
        if (const std::uint64_t size = readNumber(device + queue); size != 0) {
            return size;
        }
    }
    return kDefaultSectorSize;
}

}  // namespace

DiskFreeSpace diskFreeSpaceFromFigures(std::uint64_t fragmentSize, std::uint64_t sectorSize,
                                       std::uint64_t totalFragments, std::uint64_t freeFragments)
{
    DiskFreeSpace space;
    if (sectorSize == 0 || fragmentSize < sectorSize || fragmentSize % sectorSize != 0) {
        space.bytesPerSector = fragmentSize;
        space.sectorsPerCluster = 1;
    } else {
        space.bytesPerSector = sectorSize;
        space.sectorsPerCluster = fragmentSize / sectorSize;
    }
    space.totalClusters = totalFragments;
    space.freeClusters = freeFragments;
    return space;
}

std::optional<DiskFreeSpace> PosixDriveQuery::getDiskFreeSpace(const std::string& root)
{
    if (root.size() < 2 || root[1] != ':') {
        return std::nullopt;
    }
    const std::string* hostRoot = table_->root(root[0]);
    if (hostRoot == nullptr) {
        return std::nullopt;
    }
    struct statvfs figures {};
    if (::statvfs(hostRoot->c_str(), &figures) != 0 || figures.f_frsize == 0) {
        return std::nullopt;
    }
    return diskFreeSpaceFromFigures(figures.f_frsize, logicalSectorSize(*hostRoot), figures.f_blocks, figures.f_bavail);
}

}  // namespace mezu::posix
