// SPDX-License-Identifier: MIT
// Reads the directories of a walk on POSIX for the read scheduler: a subdirectory is opened
// relative to its parent's descriptor while the parent is held open (else by its path), its
// descriptor's fstat tells whether it is another file system's root, and its entries are read
// with getdents and examined with lstat where the walk needs them (see directory_reader.h).
// Descriptors are counted by a DescriptorBudget shared by every thread of the walk.
#pragma once

#include <functional>
#include <string>

#include "platform/directory_source.h"
#include "platform/posix/descriptor_budget.h"
#include "platform/posix/mount_point_parents.h"
#include "platform/posix/search_permission.h"
#include "platform/posix/unique_fd.h"

namespace mezu::posix {

class PosixDirectorySource final : public DirectorySource {
public:
    // Opens a directory (O_PATH is enough) from its drive path; an invalid descriptor with errno
    // set when it cannot be opened. Called from any thread.
    using PathOpener = std::function<UniqueFd(const std::string& drivePath)>;

    // Subdirectories are left unexamined by their parent's read only in directories that
    // `mountPointParents` shows hold no mount point. Borrows `budget`.
    PosixDirectorySource(PathOpener openByPath, MountPointParents mountPointParents, DescriptorBudget& budget);

    Read read(const Request& request, TaskSharing& helpers) override;

private:
    PathOpener openByPath_;
    MountPointParents mountPointParents_;
    SearchPermission searchPermission_;
    DescriptorBudget& budget_;
};

}  // namespace mezu::posix
