// SPDX-License-Identifier: MIT
// The drive query on POSIX: statvfs of the drive's root. Bytes per sector is the device's
// logical block size where sysfs tells it (512 otherwise); a cluster is the file system's
// fragment size; the free figure is what an unprivileged user may still use. The drive table
// is the file system's own, so a letter it gives for the run is known here too.
#pragma once

#include <memory>
#include <utility>

#include "platform/drive_query.h"
#include "platform/posix/drive_table.h"

namespace mezu::posix {

class PosixDriveQuery final : public DriveQuery {
public:
    explicit PosixDriveQuery(std::shared_ptr<const DriveTable> table)
        : table_(table ? std::move(table) : std::make_shared<const DriveTable>())
    {
    }
    explicit PosixDriveQuery(const DriveTable& table)
        : table_(std::make_shared<const DriveTable>(table))
    {
    }

    std::optional<DiskFreeSpace> getDiskFreeSpace(const std::string& root) override;

private:
    std::shared_ptr<const DriveTable> table_;  // never null
};

// The four figures for a fragment size and a device sector size: sectors per cluster is
// fragment ÷ sector, unless the fragment is not a whole number of sectors, when the cluster
// counts as one sector of the fragment's size.
DiskFreeSpace diskFreeSpaceFromFigures(std::uint64_t fragmentSize, std::uint64_t sectorSize,
                                       std::uint64_t totalFragments, std::uint64_t freeFragments);

}  // namespace mezu::posix
