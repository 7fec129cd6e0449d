// SPDX-License-Identifier: MIT
#include "platform/enumerating_tree_walk.h"

#include "model/path_text.h"

namespace mezu {
namespace {

// Files and the directories a walk enters: neither hidden nor system.
constexpr FileAttributes kWalkedEntries = kAttrDirectory;

}  // namespace

EnumeratingTreeWalk::EnumeratingTreeWalk(FileSystem& fileSystem, std::string drivePath)
    : fileSystem_(fileSystem)
{
    directories_.emplace_back().path = std::move(drivePath);
}

const TreeWalk::Listing& EnumeratingTreeWalk::listing(Directory& directory)
{
    Node& node = static_cast<Node&>(directory);
    if (!node.read) {
        read(node);
    }
    return node.listing;
}

void EnumeratingTreeWalk::read(Node& node)
{
    node.read = true;
    Listing& listing = node.listing;
    const auto makeCurrent = [this](const std::string& path) {
        return !path.empty() && fileSystem_.changeDrive(driveLetterOf(path)) && fileSystem_.changeDirectory(path);
    };
    if (!makeCurrent(node.path)) {
        listing.error = fileSystem_.lastError();
        // Whether it is still there to be read, or has gone since its parent was read.
        if (!node.parentPath.empty() && makeCurrent(node.parentPath)) {
            const std::string name = node.path.substr(withTrailingSeparator(node.parentPath).size());
            const std::optional<FileAttributes> attributes = fileSystem_.attributes(name);
            listing.gone = !attributes || !isDirectory(*attributes);
        }
        return;
    }
    listing.opened = true;
    const std::unique_ptr<DirectoryEnumeration> enumeration = fileSystem_.startEnumeration(kEveryName, kWalkedEntries);
    if (!enumeration) {
        listing.error = fileSystem_.lastError();
        return;
    }
    listing.readable = true;
    struct Found {
        std::size_t nameOffset;
        std::size_t nameLength;
        EntryFigures figures;
    };
    std::vector<Found> found;
    for (std::string name = enumeration->next(); !name.empty(); name = enumeration->next()) {
        EntryFigures figures;
        if (const std::optional<EntryFigures> known = enumeration->lastFigures()) {
            figures = *known;
        } else {
            // An entry whose figures cannot be read counts for nothing, as if it had gone.
            const std::optional<FileAttributes> attributes = fileSystem_.attributes(name);
            const std::optional<std::uint64_t> length = attributes && !isDirectory(*attributes)
                                                            ? fileSystem_.fileLength(name)
                                                            : std::optional<std::uint64_t>{0};
            const std::optional<std::uint64_t> allocated = attributes && !isDirectory(*attributes)
                                                               ? fileSystem_.allocatedBytes(name)
                                                               : std::optional<std::uint64_t>{0};
            if (!attributes || !length || !allocated) {
                continue;
            }
            figures = {.attributes = *attributes, .length = *length, .allocated = *allocated};
        }
        found.push_back({node.names.size(), name.size(), figures});
        node.names += name;
    }
    for (const Found& entry : found) {
        node.entries.push_back(
            {std::string_view{node.names}.substr(entry.nameOffset, entry.nameLength), entry.figures});
    }
    listing.entries = node.entries;
    listing.error = enumeration->error();
}

TreeWalk::Directory& EnumeratingTreeWalk::subdirectory(Directory& parent, std::size_t index)
{
    const Node& node = static_cast<Node&>(parent);
    Node& child = directories_.emplace_back();
    child.path = childPath(node.path, node.entries.at(index).name);
    child.parentPath = node.path;
    return child;
}

void EnumeratingTreeWalk::done(Directory& directory)
{
    Node& node = static_cast<Node&>(directory);
    node.listing.entries = {};
    node.entries = {};
    node.names = {};
}

}  // namespace mezu
