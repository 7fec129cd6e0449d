// SPDX-License-Identifier: MIT
// A walk of a tree on POSIX: the read scheduler over the POSIX directory source, with the
// descriptor budget they share, for the walk's life.
#pragma once

#include <functional>
#include <string>

#include "platform/posix/descriptor_budget.h"
#include "platform/posix/posix_directory_source.h"
#include "platform/scheduled_tree_walk.h"

namespace mezu::posix {

class PosixTreeWalk final : public TreeWalk {
public:
    // Counts the descriptors this process may still open when it starts.
    PosixTreeWalk(std::string drivePath, PosixDirectorySource::PathOpener openByPath,
                  const MountPointParents& mountPointParents, ScheduledTreeWalk::Options options);

    Directory& top() override { return walk_.top(); }
    const Listing& listing(Directory& directory) override { return walk_.listing(directory); }
    Directory& subdirectory(Directory& parent, std::size_t index) override { return walk_.subdirectory(parent, index); }
    void done(Directory& directory) override { walk_.done(directory); }

private:
    DescriptorBudget budget_;
    PosixDirectorySource source_;
    ScheduledTreeWalk walk_;  // goes first: its threads use the source
};

}  // namespace mezu::posix
