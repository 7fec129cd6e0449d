// SPDX-License-Identifier: MIT
// A walk of one directory tree as a survey makes it: each directory's listing with the figures
// of its entries, in the order the directory lists them. Handles stand in for a current
// directory, so nothing is looked up twice by path; a backend may read the directories below
// ahead of the walker, and gets each one back when the walker is done with it, so that what it
// keeps follows the walk rather than the size of the tree.
//
// One thread, the walker, calls every method; a backend's own threads are its own business.
// Nothing here fails by exception but for want of memory: a directory that cannot be read says
// so in its listing.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/file_attributes.h"
#include "platform/file_system.h"

namespace mezu {

// An entry a walk may use: a file or a directory that is neither hidden nor system (the other
// entries are left out of a listing), with its figures as the file system's attribute and size
// reads give them.
struct WalkEntry {
    std::string_view name;  // a drive name, as an enumeration returns it
    EntryFigures figures;
};

// Which file a name stands for, among the files of every volume: the same at each of its hard
// links.
struct FileIdentity {
    std::uint64_t volume = 0;
    std::uint64_t file = 0;
    bool operator==(const FileIdentity&) const = default;
};

class TreeWalk {
public:
    // A directory of the walk; each backend's own kind derives from it.
    struct Directory {};

    struct Listing {
        bool opened = false;    // false: the directory could not be opened (made current)
        bool readable = false;  // false: it could not be read at all; no entries
        // A subdirectory found to be the root of another file system only when it was opened
        // (a mount made during the walk): it is no part of the walk, as a mount point is not.
        bool otherFileSystem = false;
        // A subdirectory that has gone (or is no directory any more) since its parent listed
        // it: no part of the walk either, as it would not have been listed a moment later.
        bool gone = false;
        std::span<const WalkEntry> entries;  // valid until the walker is done with the directory
        // The volume its files lie on, which tells their fileIds apart from other volumes'.
        std::uint64_t volume = 0;
        // Why the directory could not be opened or read, or why entries of it are missing, as
        // the system words it; empty when it was read whole.
        std::string error;
    };

    virtual ~TreeWalk() = default;

    // The directory the walk was made for.
    virtual Directory& top() = 0;
    // Its listing, read now if it has not been read yet.
    virtual const Listing& listing(Directory& directory) = 0;
    // The subdirectory at entry `index` of `parent`'s listing, an entry that is a directory.
    virtual Directory& subdirectory(Directory& parent, std::size_t index) = 0;
    // The walker will ask nothing more of `directory`: its listing may go, and so may what was
    // read of subdirectories it did not take. Those it took stay until they are done too.
    virtual void done(Directory& directory) = 0;

    // The file at entry `index` of `directory`'s listing, a file, when it has more than one name;
    // nullopt for a file with one name or one the system cannot say of. By default from the
    // figures its listing gives; a backend whose listings do not count links asks the system.
    virtual std::optional<FileIdentity> linkedFile(Directory& directory, std::size_t index)
    {
        const Listing& listed = listing(directory);
        const EntryFigures& figures = listed.entries[index].figures;
        if (figures.links <= 1) {
            return std::nullopt;
        }
        return FileIdentity{listed.volume, figures.fileId};
    }
};

}  // namespace mezu
