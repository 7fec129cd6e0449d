// SPDX-License-Identifier: MIT
// The drive query on Windows: GetDiskFreeSpaceA on the root of the system drive that holds the
// drive letter's directory. A drive without a medium, or one that does not exist, gives nullopt.
#pragma once

#include "platform/drive_query.h"
#include "platform/win32/drive_roots.h"

namespace mezu::win32 {

class Win32DriveQuery final : public DriveQuery {
public:
    explicit Win32DriveQuery(DriveRoots roots = DriveRoots::systemDrives())
        : roots_(std::move(roots))
    {
    }
    std::optional<DiskFreeSpace> getDiskFreeSpace(const std::string& root) override;

private:
    DriveRoots roots_;
};

}  // namespace mezu::win32
