#include "platform/posix/posix_tree_walk.h"

namespace mezu::posix {

PosixTreeWalk::PosixTreeWalk(std::string drivePath, PosixDirectorySource::PathOpener openByPath,
                             const MountPointParents& mountPointParents, ScheduledTreeWalk::Options options,
                             std::function<void()> ended)
    : budget_(DescriptorBudget::ofThisProcess()),
      source_(std::move(openByPath), mountPointParents, budget_),
      ended_(std::move(ended))
{
    walk_.emplace(source_, std::move(drivePath), options);
}

PosixTreeWalk::~PosixTreeWalk()
{
    walk_.reset();
    if (ended_) {
        ended_();
    }
}

}  // namespace mezu::posix
