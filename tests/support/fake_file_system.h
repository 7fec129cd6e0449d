// SPDX-License-Identifier: MIT
// An in-memory file system with drive paths, for engine and window tests: entries carry their
// attribute bits directly, enumeration order is insertion order, and any directory or entry
// can be made to fail or be removed while a walk runs.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/tree_walk.h"

namespace mezu::test {

class FakeFileSystem final : public FileSystem {
public:
    struct Node {
        std::string name;
        FileAttributes attributes = kAttrNormal;
        std::uint64_t length = 0;
        std::optional<std::uint64_t> allocated;  // allocated bytes; the length when unset
        std::int64_t modified = kUnknownTime;
        std::uint32_t links = 1;  // a file with more: each of its nodes has the same fileId
        std::uint64_t fileId = 0;
        std::vector<std::shared_ptr<Node>> children;  // in enumeration order
        bool cannotOpen = false;                      // cannot be made current
        bool enumerationFails = false;                // can be made current but not read
        std::string failure = "Permission denied";    // why either fails
        std::string missedEntries;                    // non-empty: why its enumerations say they missed entries
        bool attributesFail = false;
        bool lengthFails = false;  // and the allocation
    };

    // Drives with empty roots; the first is current, at its root.
    explicit FakeFileSystem(std::vector<char> drives = {'C'});

    // Builders take full drive paths ("C:\DATA\a.txt"); missing parents are created as plain
    // directories. A name beginning with "." is hidden, as on the POSIX backend.
    Node& addDirectory(const std::string& path, FileAttributes extra = kAttrNormal);
    Node& addFile(const std::string& path, std::uint64_t length, FileAttributes extra = kAttrNormal);
    // Another name of the file at `existing`, as a hard link: a node of its own with the file's
    // figures and fileId (a fresh one when it had none), and every name of the file counts one
    // link more.
    Node& addHardLink(const std::string& existing, const std::string& newPath);
    // Removes an entry and everything below it; enumerations already started keep their list.
    void remove(const std::string& path);
    void rename(const std::string& path, const std::string& newName);
    Node* find(const std::string& path);
    // Makes a drive's root unopenable, as a drive without a medium.
    void setDriveUnavailable(char letter) { unavailable_[letter] = true; }
    // A drive that appears later, with an empty root (a letter given for the run).
    void addDrive(char letter);
    // A drive that has gone from the system (a removed disk): nothing of it opens any more.
    void removeDrive(char letter) { roots_.erase(letter); }
    // Makes the drive stand for a host directory, as on POSIX: hostPath maps its paths below it.
    void setHostRoot(char letter, std::string hostRoot) { hostRoots_[letter] = std::move(hostRoot); }

    std::vector<char> drives() const override;
    char currentDrive() const override { return currentDrive_; }
    std::optional<std::string> currentDirectory(char letter) const override;
    bool changeDrive(char letter) override;
    bool changeDirectory(const std::string& drivePath) override;
    bool directoryExists(const std::string& drivePath) override;
    std::unique_ptr<DirectoryEnumeration> startEnumeration(std::string_view pattern, FileAttributes mask) override;
    std::optional<FileAttributes> attributes(const std::string& name) override;
    std::optional<std::uint64_t> fileLength(const std::string& name) override;
    std::optional<std::uint64_t> allocatedBytes(const std::string& name) override;
    std::vector<std::string> subdirectoryNames(const std::string& drivePath) override;
    std::string lastError() const override { return lastError_; }
    ResolvedDirectory resolveDirectory(const std::string& userPath) override;
    std::optional<std::string> hostPath(const std::string& drivePath) const override;
    std::unique_ptr<TreeWalk> walkTree(const std::string& drivePath) override
    {
        ++walksStarted_;
        return FileSystem::walkTree(drivePath);
    }

    // Called as each enumeration starts; a test makes it throw, as an allocation would.
    std::function<void()> onEnumeration;

    int enumerationsStarted() const { return enumerationsStarted_; }
    int walksStarted() const { return walksStarted_; }

private:
    // Sets lastError_ when a path cannot be opened.
    std::shared_ptr<Node> lookup(const std::string& drivePath, bool forOpening) const;
    std::shared_ptr<Node> childOf(const Node& directory, const std::string& name) const;
    Node& insert(const std::string& path, FileAttributes attributes, std::uint64_t length);
    std::shared_ptr<Node> currentNode() const;
    void forEachNode(const std::function<void(Node&)>& visit);

    std::map<char, std::shared_ptr<Node>> roots_;
    std::map<char, std::string> currentDirectories_;
    std::map<char, bool> unavailable_;
    std::map<char, std::string> hostRoots_;
    char currentDrive_;
    int enumerationsStarted_ = 0;
    int walksStarted_ = 0;
    mutable std::string lastError_;
};

}  // namespace mezu::test
