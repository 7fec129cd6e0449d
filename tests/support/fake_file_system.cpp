// SPDX-License-Identifier: MIT
#include "fake_file_system.h"

#include <algorithm>
#include <stdexcept>
#include <variant>

#include "model/drive_path.h"
#include "model/path_text.h"

namespace mezu::test {
namespace {

// The fake reads drive paths as the real file systems do.
std::optional<DrivePath> split(const std::string& path)
{
    std::variant<DrivePath, std::string> parsed = parseDrivePath(path);
    DrivePath* drivePath = std::get_if<DrivePath>(&parsed);
    return drivePath != nullptr ? std::optional{std::move(*drivePath)} : std::nullopt;
}

class FakeEnumeration final : public DirectoryEnumeration {
public:
    FakeEnumeration(std::vector<std::shared_ptr<FakeFileSystem::Node>> entries, FileAttributes mask, std::string error)
        : entries_(std::move(entries)),
          mask_(mask),
          error_(std::move(error))
    {
    }

    std::string error() const override { return position_ < entries_.size() ? std::string{} : error_; }

    std::string next() override
    {
        while (position_ < entries_.size()) {
            const FakeFileSystem::Node& entry = *entries_[position_++];
            if (passesMask(entry.attributes, mask_)) {
                return entry.name;
            }
        }
        return {};
    }

    // Only what a real enumeration gives: an entry that fails to be examined is asked again.
    std::optional<EntryFigures> lastFigures() const override
    {
        if (position_ == 0) {
            return std::nullopt;
        }
        const FakeFileSystem::Node& entry = *entries_[position_ - 1];
        if (entry.attributesFail || entry.lengthFails) {
            return std::nullopt;
        }
        const bool directory = isDirectory(entry.attributes);
        return EntryFigures{.attributes = entry.attributes,
                            .length = directory ? 0 : entry.length,
                            .allocated = directory ? 0 : entry.allocated.value_or(entry.length),
                            .modified = entry.modified,
                            .links = entry.links,
                            .fileId = entry.fileId};
    }

private:
    std::vector<std::shared_ptr<FakeFileSystem::Node>> entries_;
    FileAttributes mask_;
    std::string error_;
    std::size_t position_ = 0;
};

}  // namespace

FakeFileSystem::FakeFileSystem(std::vector<char> drives)
    : currentDrive_(drives.at(0))
{
    for (char letter : drives) {
        addDrive(letter);
    }
}

void FakeFileSystem::addDrive(char letter)
{
    auto root = std::make_shared<Node>();
    root->attributes = kAttrDirectory;
    roots_[letter] = root;
    currentDirectories_[letter] = driveRoot(letter);
}

std::optional<std::string> FakeFileSystem::hostPath(const std::string& drivePath) const
{
    const auto found = hostRoots_.find(driveLetterOf(drivePath));
    if (found == hostRoots_.end() || drivePath.size() < 3) {
        return std::nullopt;
    }
    std::string host = found->second;
    const std::string below = drivePath.substr(3);
    if (!below.empty() && host.back() != '/') {
        host += '/';
    }
    for (const char c : below) {
        host += c == kPathSeparator ? '/' : c;
    }
    return host;
}

FakeFileSystem::Node& FakeFileSystem::insert(const std::string& path, FileAttributes attributes, std::uint64_t length)
{
    const std::optional<DrivePath> parts = split(path);
    if (!parts || parts->components.empty() || roots_.count(parts->letter) == 0) {
        throw std::invalid_argument("fake file system: bad path " + path);
    }
    std::shared_ptr<Node> directory = roots_.at(parts->letter);
    for (std::size_t i = 0; i + 1 < parts->components.size(); ++i) {
        std::shared_ptr<Node> child = childOf(*directory, parts->components[i]);
        if (!child) {
            child = std::make_shared<Node>();
            child->name = parts->components[i];
            child->attributes = kAttrDirectory | (child->name[0] == '.' ? kAttrHidden : kAttrNormal);
            directory->children.push_back(child);
        }
        directory = child;
    }
    auto node = std::make_shared<Node>();
    node->name = parts->components.back();
    node->attributes = attributes | (node->name[0] == '.' ? kAttrHidden : kAttrNormal);
    node->length = length;
    directory->children.push_back(node);
    return *node;
}

FakeFileSystem::Node& FakeFileSystem::addDirectory(const std::string& path, FileAttributes extra)
{
    return insert(path, kAttrDirectory | extra, 0);
}

FakeFileSystem::Node& FakeFileSystem::addFile(const std::string& path, std::uint64_t length, FileAttributes extra)
{
    return insert(path, extra, length);
}

FakeFileSystem::Node& FakeFileSystem::addHardLink(const std::string& existing, const std::string& newPath)
{
    Node* file = find(existing);
    if (file == nullptr || isDirectory(file->attributes)) {
        throw std::invalid_argument("fake file system: no file to link at " + existing);
    }
    if (file->fileId == 0) {
        std::uint64_t highest = 0;
        forEachNode([&highest](const Node& node) { highest = std::max(highest, node.fileId); });
        file->fileId = highest + 1;
    }
    Node& link = insert(newPath, kAttrNormal, 0);
    const std::string name = link.name;
    const FileAttributes attributes = link.attributes;
    link = *file;
    link.name = name;
    link.attributes = attributes | (file->attributes & ~kAttrHidden);
    const std::uint64_t id = file->fileId;
    forEachNode([id](Node& node) { node.links += node.fileId == id ? 1 : 0; });
    return link;
}

void FakeFileSystem::forEachNode(const std::function<void(Node&)>& visit)
{
    const std::function<void(Node&)> below = [&](Node& node) {
        visit(node);
        for (const std::shared_ptr<Node>& child : node.children) {
            below(*child);
        }
    };
    for (const auto& root : roots_) {
        below(*root.second);
    }
}

void FakeFileSystem::remove(const std::string& path)
{
    const std::optional<DrivePath> parts = split(path);
    DrivePath parentPath = *parts;
    parentPath.components.pop_back();
    const std::shared_ptr<Node> parent = lookup(parentPath.text(), false);
    auto& children = parent->children;
    children.erase(std::remove_if(children.begin(), children.end(),
                                  [&](const auto& child) { return child->name == parts->components.back(); }),
                   children.end());
}

void FakeFileSystem::rename(const std::string& path, const std::string& newName)
{
    lookup(path, false)->name = newName;
}

FakeFileSystem::Node* FakeFileSystem::find(const std::string& path)
{
    return lookup(path, false).get();
}

std::shared_ptr<FakeFileSystem::Node> FakeFileSystem::childOf(const Node& directory, const std::string& name) const
{
    for (const auto& child : directory.children) {
        if (child->name == name) {
            return child;
        }
    }
    return nullptr;
}

std::shared_ptr<FakeFileSystem::Node> FakeFileSystem::lookup(const std::string& drivePath, bool forOpening) const
{
    const std::optional<DrivePath> parts = split(drivePath);
    if (!parts || roots_.count(parts->letter) == 0) {
        return nullptr;
    }
    if (forOpening) {
        const auto unavailable = unavailable_.find(parts->letter);
        if (unavailable != unavailable_.end() && unavailable->second) {
            lastError_ = "No medium found";
            return nullptr;
        }
    }
    std::shared_ptr<Node> node = roots_.at(parts->letter);
    for (const std::string& name : parts->components) {
        node = childOf(*node, name);
        if (!node) {
            lastError_ = "No such file or directory";
            return nullptr;
        }
        if (forOpening && node->cannotOpen) {
            lastError_ = node->failure;
            return nullptr;
        }
    }
    if (forOpening && !isDirectory(node->attributes)) {
        lastError_ = "Not a directory";
        return nullptr;
    }
    return node;
}

std::shared_ptr<FakeFileSystem::Node> FakeFileSystem::currentNode() const
{
    return lookup(currentDirectories_.at(currentDrive_), true);
}

std::vector<char> FakeFileSystem::drives() const
{
    std::vector<char> letters;
    for (const auto& [letter, root] : roots_) {
        letters.push_back(letter);
    }
    return letters;
}

std::optional<std::string> FakeFileSystem::currentDirectory(char letter) const
{
    const auto found = currentDirectories_.find(driveLetterOf(std::string{letter}));
    if (found == currentDirectories_.end()) {
        return std::nullopt;
    }
    return found->second;
}

bool FakeFileSystem::changeDrive(char letter)
{
    const char drive = driveLetterOf(std::string{letter});
    if (!lookup(driveRoot(drive), true)) {
        return false;
    }
    currentDrive_ = drive;
    return true;
}

bool FakeFileSystem::changeDirectory(const std::string& drivePath)
{
    if (!lookup(drivePath, true)) {
        return false;
    }
    const DrivePath path = *split(drivePath);
    currentDirectories_[path.letter] = path.text();
    return true;
}

bool FakeFileSystem::directoryExists(const std::string& drivePath)
{
    return lookup(drivePath, true) != nullptr;
}

std::unique_ptr<DirectoryEnumeration> FakeFileSystem::startEnumeration(std::string_view pattern, FileAttributes mask)
{
    const std::shared_ptr<Node> directory = currentNode();
    if ((pattern != kEveryName && pattern != "*") || !directory || directory->enumerationFails) {
        if (directory) {
            lastError_ = directory->enumerationFails ? directory->failure : "Invalid argument";
        }
        return nullptr;
    }
    ++enumerationsStarted_;
    if (onEnumeration) {
        onEnumeration();
    }
    return std::make_unique<FakeEnumeration>(directory->children, mask, directory->missedEntries);
}

std::optional<FileAttributes> FakeFileSystem::attributes(const std::string& name)
{
    const std::shared_ptr<Node> directory = currentNode();
    const std::shared_ptr<Node> entry = directory ? childOf(*directory, name) : nullptr;
    if (!entry || entry->attributesFail) {
        return std::nullopt;
    }
    return entry->attributes;
}

std::optional<std::uint64_t> FakeFileSystem::fileLength(const std::string& name)
{
    const std::shared_ptr<Node> directory = currentNode();
    const std::shared_ptr<Node> entry = directory ? childOf(*directory, name) : nullptr;
    if (!entry || entry->lengthFails) {
        return std::nullopt;
    }
    return entry->length;
}

std::optional<std::uint64_t> FakeFileSystem::allocatedBytes(const std::string& name)
{
    const std::shared_ptr<Node> directory = currentNode();
    const std::shared_ptr<Node> entry = directory ? childOf(*directory, name) : nullptr;
    if (!entry || entry->lengthFails) {
        return std::nullopt;
    }
    return entry->allocated.value_or(entry->length);
}

std::vector<std::string> FakeFileSystem::subdirectoryNames(const std::string& drivePath)
{
    std::vector<std::string> names;
    const std::shared_ptr<Node> directory = lookup(drivePath, true);
    if (directory && !directory->enumerationFails) {
        for (const auto& child : directory->children) {
            if (isDirectory(child->attributes) && passesMask(child->attributes, kAttrDirectory)) {
                names.push_back(child->name);
            }
        }
    }
    return names;
}

ResolvedDirectory FakeFileSystem::resolveDirectory(const std::string& userPath)
{
    const std::shared_ptr<Node> node = lookup(userPath, false);
    if (!node) {
        return {{}, "No such file or directory"};
    }
    if (!isDirectory(node->attributes)) {
        return {{}, "Not a directory"};
    }
    return {userPath, {}};
}

}  // namespace mezu::test
