// A walk of a tree on POSIX: the read scheduler over the POSIX directory source, with the
// descriptor budget they share, for the walk's life.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "platform/posix/descriptor_budget.h"
#include "platform/posix/posix_directory_source.h"
#include "platform/scheduled_tree_walk.h"

namespace mezu::posix {

class PosixTreeWalk final : public TreeWalk {
public:
    // `ended` runs once the walk's threads and descriptors are gone.
    PosixTreeWalk(std::string drivePath, PosixDirectorySource::PathOpener openByPath,
                  const MountPointParents& mountPointParents, ScheduledTreeWalk::Options options,
                  std::function<void()> ended);
    ~PosixTreeWalk() override;
    PosixTreeWalk(const PosixTreeWalk&) = delete;
    PosixTreeWalk& operator=(const PosixTreeWalk&) = delete;

    Directory& top() override { return walk_->top(); }
    const Listing& listing(Directory& directory) override { return walk_->listing(directory); }
    Directory& subdirectory(Directory& parent, std::size_t index) override
    {
        return walk_->subdirectory(parent, index);
    }
    void done(Directory& directory) override { walk_->done(directory); }

private:
    DescriptorBudget budget_;
    PosixDirectorySource source_;
    std::optional<ScheduledTreeWalk> walk_;
    std::function<void()> ended_;
};

}  // namespace mezu::posix
