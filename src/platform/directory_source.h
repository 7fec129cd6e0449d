// SPDX-License-Identifier: MIT
// What a backend gives the read scheduler (scheduled_tree_walk.h): the read of one directory of a
// walk, from any thread. The scheduler decides which directory is read when and by which thread;
// the source knows how to open and read one on its system.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/tree_walk.h"

namespace mezu {

// A part of a large job that idle threads may help with: each takePart() takes pieces until
// none is left, from any number of threads at once.
class SharedTask {
public:
    virtual ~SharedTask() = default;
    virtual void takePart() = 0;
};

// Threads that can lend a hand with a SharedTask.
class TaskSharing {
public:
    virtual ~TaskSharing() = default;
    // Offers `task` to idle threads; false when they are busy with another.
    virtual bool share(SharedTask& task) = 0;
    // Returns when no other thread works on `task` any more.
    virtual void unshare(SharedTask& task) = 0;
};

class DirectorySource {
public:
    // What the source keeps of a directory it read for opening its subdirectories (a
    // descriptor, on POSIX); shared by those subdirectories until each is read.
    class Opened {
    public:
        virtual ~Opened() = default;
    };

    struct Request {
        const Opened* parent = nullptr;     // what its parent's read kept; null for the top, or if it kept none
        std::string_view name;              // its name in the parent's listing; empty for the top
        std::function<std::string()> path;  // its drive path, built only when asked
    };

    struct Read {
        TreeWalk::Listing listing;  // its entries lie in `memory`
        std::unique_ptr<char[]> memory;
        std::size_t bytes = 0;           // of `memory`, what keeping the listing costs
        std::shared_ptr<Opened> opened;  // for its subdirectories; may be null
    };

    virtual ~DirectorySource() = default;
    // Reads one directory; may share the examination of a large one through `helpers`. Never
    // fails but by std::bad_alloc: what cannot be read says so in the listing.
    virtual Read read(const Request& request, TaskSharing& helpers) = 0;
};

// Packs `count` entries and their names into one block: the entries first, then the names they
// point to. What a source hands over as a Read's memory.
struct PackedEntries {
    std::unique_ptr<char[]> memory;
    std::size_t bytes = 0;
    WalkEntry* entries = nullptr;
    char* names = nullptr;
};
PackedEntries packEntries(std::size_t count, std::size_t nameBytes);

}  // namespace mezu
