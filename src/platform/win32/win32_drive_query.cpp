// SPDX-License-Identifier: MIT
#include "platform/win32/win32_drive_query.h"

#include <windows.h>

namespace mezu::win32 {

std::optional<DiskFreeSpace> Win32DriveQuery::getDiskFreeSpace(const std::string& root)
{
    if (root.size() != 3 || root[1] != ':' || root[2] != '\\') {
        return std::nullopt;
    }
    const std::wstring* directory = roots_.root(root[0]);
    if (directory == nullptr || directory->size() < 2 || (*directory)[1] != L':') {
        return std::nullopt;
    }
    // The system drive's own root, in plain ASCII for the ANSI call.
    const char systemRoot[] = {static_cast<char>((*directory)[0]), ':', '\\', '\0'};
    DWORD sectorsPerCluster = 0;
    DWORD bytesPerSector = 0;
    DWORD freeClusters = 0;
    DWORD totalClusters = 0;
    if (!::GetDiskFreeSpaceA(systemRoot, &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters)) {
        return std::nullopt;
    }
    return DiskFreeSpace{sectorsPerCluster, bytesPerSector, freeClusters, totalClusters};
}

}  // namespace mezu::win32
