// SPDX-License-Identifier: MIT
// Reads the directories of a walk on Windows for the read scheduler: each directory opened by
// its path and read in large batches of records that carry every entry's attributes, length and
// allocation (GetFileInformationByHandleEx with FileFullDirectoryInfo), so that no entry costs a
// call of its own, on a network drive no round trip of its own. Hidden and system entries and
// reparse-point directories (junctions, directory links, mount points) are left out, as the walk
// neither counts nor enters them. Safe to call from several threads at once.
#pragma once

#include "platform/directory_source.h"
#include "platform/win32/drive_roots.h"

namespace mezu::win32 {

class Win32DirectorySource final : public DirectorySource {
public:
    // Borrows `roots`, which must stay as they are while the walk runs.
    explicit Win32DirectorySource(const DriveRoots& roots)
        : roots_(roots)
    {
    }

    Read read(const Request& request, TaskSharing& helpers) override;

private:
    const DriveRoots& roots_;
};

}  // namespace mezu::win32
