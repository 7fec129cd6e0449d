// SPDX-License-Identifier: MIT
// The walk of a tree through a file system's own enumerations: each directory made current by
// its path and enumerated when the walker asks for it, nothing read ahead. What a backend
// without a walk of its own, and the test doubles, offer.
#pragma once

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/tree_walk.h"

namespace mezu {

class EnumeratingTreeWalk final : public TreeWalk {
public:
    // Borrows `fileSystem`, whose current directory the walk moves.
    EnumeratingTreeWalk(FileSystem& fileSystem, std::string drivePath);

    Directory& top() override { return directories_.front(); }
    const Listing& listing(Directory& directory) override;
    Directory& subdirectory(Directory& parent, std::size_t index) override;
    void done(Directory& directory) override;

private:
    struct Node : Directory {
        std::string path;
        std::string parentPath;  // empty for the top
        bool read = false;
        Listing listing;
        std::vector<WalkEntry> entries;
        std::string names;  // the entries' names, one after the other
    };

    void read(Node& node);

    FileSystem& fileSystem_;
    std::deque<Node> directories_;  // stable addresses
};

}  // namespace mezu
