// SPDX-License-Identifier: MIT
#include "platform/posix/posix_tree_walk.h"

namespace mezu::posix {

PosixTreeWalk::PosixTreeWalk(std::string drivePath, PosixDirectorySource::PathOpener openByPath,
                             const MountPointParents& mountPointParents, ScheduledTreeWalk::Options options)
    : budget_(DescriptorBudget::ofThisProcess()),
      source_(std::move(openByPath), mountPointParents, budget_),
      walk_(source_, std::move(drivePath), options)
{
}

}  // namespace mezu::posix
