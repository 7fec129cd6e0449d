// SPDX-License-Identifier: MIT
// A walk of a tree on Windows: the read scheduler over the Win32 directory source, for the walk's
// life, so that the directories of a network drive are read many at a time. The directory
// records count no links: linkedFile opens the file it is asked of, which only a survey that
// counts hard links once does.
#pragma once

#include <string>

#include "platform/scheduled_tree_walk.h"
#include "platform/win32/win32_directory_source.h"

namespace mezu::win32 {

class Win32TreeWalk final : public TreeWalk {
public:
    // Borrows `roots`, which must stay as they are while the walk runs.
    Win32TreeWalk(const DriveRoots& roots, std::string drivePath, ScheduledTreeWalk::Options options)
        : roots_(roots),
          source_(roots),
          walk_(source_, std::move(drivePath), options)
    {
    }

    Directory& top() override { return walk_.top(); }
    const Listing& listing(Directory& directory) override { return walk_.listing(directory); }
    Directory& subdirectory(Directory& parent, std::size_t index) override { return walk_.subdirectory(parent, index); }
    void done(Directory& directory) override { walk_.done(directory); }
    // From the file's own information (volume serial number and file index); nullopt for a file
    // that cannot be opened any more.
    std::optional<FileIdentity> linkedFile(Directory& directory, std::size_t index) override;

private:
    const DriveRoots& roots_;
    Win32DirectorySource source_;
    ScheduledTreeWalk walk_;  // goes first: its threads use the source
};

}  // namespace mezu::win32
