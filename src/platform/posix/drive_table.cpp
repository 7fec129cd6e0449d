// SPDX-License-Identifier: MIT
#include "platform/posix/drive_table.h"

#include <stdlib.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>

#include "model/drive_path.h"
#include "platform/posix/mount_table.h"

namespace mezu::posix {
namespace {

// The order letters are given for the run in: those no all-drives command visits first.
constexpr std::string_view kRunLetterOrder = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";

std::vector<std::string> splitComponents(std::string_view path)
{
    std::vector<std::string> components;
    std::size_t start = 0;
    while (start < path.size()) {
        const std::size_t end = std::min(path.find('/', start), path.size());
        if (end > start) {
            components.emplace_back(path.substr(start, end - start));
        }
        start = end + 1;
    }
    return components;
}

// Whether a directory is `outer` or lies below it (both absolute and normalised).
bool holds(const std::string& outer, const std::string& inner)
{
    return outer == "/" || inner == outer ||
           (inner.size() > outer.size() && inner.compare(0, outer.size(), outer) == 0 && inner[outer.size()] == '/');
}

// Whether a path passes through a name the walk never shows (one beginning with ".").
bool isHiddenPath(std::string_view path)
{
    return (!path.empty() && path.front() == '.') || path.find("/.") != std::string_view::npos;
}

std::string withoutTrailingSlashes(std::string root)
{
    while (root.size() > 1 && root.back() == '/') {
        root.pop_back();
    }
    return root;
}

}  // namespace

bool isDirectoryOnHost(const std::string& path)
{
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

DriveTable driveTableFromMountInfo(std::string_view mountInfo,
                                   const std::function<bool(const std::string&)>& isDirectory)
{
    const std::vector<MountedFileSystem> mounts =
        mountsFromMountInfo(mountInfo).value_or(std::vector<MountedFileSystem>{});
    // Mount order is the order of the lines: a later mount on the same point, or on a directory
    // above it, covers an earlier one, whose files can no longer be reached by any path.
    auto covered = [&mounts](std::size_t index) {
        const std::string& point = mounts[index].mountPoint;
        for (std::size_t later = index + 1; later < mounts.size(); ++later) {
            const std::string& above = mounts[later].mountPoint;
            if (above == point || (above != "/" && holds(above, point))) {
                return true;
            }
        }
        return false;
    };
    // The directories of each file system that a drive shows: a mount gets a letter only when
    // it shows none of them again, in part or whole, so that no file is on two drives.
    std::map<std::string, std::vector<std::string>> shown;
    const auto showsAgain = [&shown](const MountedFileSystem& mount) {
        for (const std::string& directory : shown[mount.fileSystem]) {
            if (holds(directory, mount.shownDirectory) || holds(mount.shownDirectory, directory)) {
                return true;
            }
        }
        return false;
    };
    std::vector<const MountedFileSystem*> candidates;
    for (std::size_t i = 0; i < mounts.size(); ++i) {
        const MountedFileSystem& mount = mounts[i];
        if (covered(i)) {
            continue;
        }
        if (mount.mountPoint == "/") {
            shown[mount.fileSystem].push_back(mount.shownDirectory);
        } else if (mount.holdsUserFiles && !isHiddenPath(mount.mountPoint) && isDirectory(mount.mountPoint)) {
            candidates.push_back(&mount);
        }
    }
    // A file system mounted from its root takes its letter there, wherever a bind mount of a
    // directory of it is.
    std::sort(candidates.begin(), candidates.end(), [](const MountedFileSystem* a, const MountedFileSystem* b) {
        return a->fromItsRoot != b->fromItsRoot ? a->fromItsRoot : a->mountPoint < b->mountPoint;
    });
    std::vector<DriveMapping> mappings;
    for (const MountedFileSystem* mount : candidates) {
        if (!showsAgain(*mount)) {
            shown[mount->fileSystem].push_back(mount->shownDirectory);
            mappings.push_back({'\0', mount->mountPoint});
        }
    }
    std::sort(mappings.begin(), mappings.end(),
              [](const DriveMapping& a, const DriveMapping& b) { return a.root < b.root; });
    mappings.resize(std::min<std::size_t>(mappings.size(), kLastDriveLetter - kFirstSurveyedDrive));
    char next = kFirstSurveyedDrive + 1;
    for (DriveMapping& mapping : mappings) {
        mapping.letter = next++;
    }
    mappings.insert(mappings.begin(), {kFirstSurveyedDrive, "/"});
    return DriveTable{mappings};
}

DriveTable::DriveTable(const std::vector<DriveMapping>& mappings)
{
    for (const DriveMapping& mapping : mappings) {
        if (const char letter = asciiUpper(mapping.letter); isDriveLetter(letter)) {
            Slot& slot = slots_[static_cast<std::size_t>(letter - kFirstDriveLetter)];
            slot.root = withoutTrailingSlashes(mapping.root);
            slot.given.store(true, std::memory_order_release);
        }
    }
}

DriveTable::DriveTable(const DriveTable& other)
{
    *this = other;
}

DriveTable& DriveTable::operator=(const DriveTable& other)
{
    if (this != &other) {
        for (std::size_t i = 0; i < kLetters; ++i) {
            const bool given = other.slots_[i].given.load(std::memory_order_acquire);
            slots_[i].root = given ? other.slots_[i].root : std::string{};
            slots_[i].given.store(given, std::memory_order_release);
        }
    }
    return *this;
}

std::vector<DriveMapping> DriveTable::mappings() const
{
    std::vector<DriveMapping> given;
    for (std::size_t i = 0; i < kLetters; ++i) {
        if (slots_[i].given.load(std::memory_order_acquire)) {
            given.push_back({static_cast<char>(kFirstDriveLetter + i), slots_[i].root});
        }
    }
    return given;
}

const std::string* DriveTable::root(char letter) const
{
    const char drive = asciiUpper(letter);
    if (!isDriveLetter(drive)) {
        return nullptr;
    }
    const Slot& slot = slots_[static_cast<std::size_t>(drive - kFirstDriveLetter)];
    return slot.given.load(std::memory_order_acquire) ? &slot.root : nullptr;
}

std::optional<DriveLocation> DriveTable::locate(std::string_view hostPath) const
{
    const std::vector<std::string> pathComponents = splitComponents(hostPath);
    std::optional<DriveLocation> best;
    std::size_t bestDepth = 0;
    for (const DriveMapping& mapping : mappings()) {
        const std::vector<std::string> rootComponents = splitComponents(mapping.root);
        const bool isPrefix = rootComponents.size() <= pathComponents.size() &&
                              std::equal(rootComponents.begin(), rootComponents.end(), pathComponents.begin());
        if (isPrefix && (!best || rootComponents.size() > bestDepth)) {
            bestDepth = rootComponents.size();
            best =
                DriveLocation{mapping.letter,
                              {pathComponents.begin() + static_cast<std::ptrdiff_t>(bestDepth), pathComponents.end()}};
        }
    }
    return best;
}

std::optional<char> DriveTable::addRunLetter(const std::string& root)
{
    const std::lock_guard<std::mutex> lock{adding_};
    const std::string normalised = withoutTrailingSlashes(root);
    for (const DriveMapping& mapping : mappings()) {
        if (mapping.root == normalised) {
            return mapping.letter;
        }
    }
    for (const char letter : kRunLetterOrder) {
        Slot& slot = slots_[static_cast<std::size_t>(letter - kFirstDriveLetter)];
        if (!slot.given.load(std::memory_order_acquire)) {
            slot.root = normalised;
            slot.given.store(true, std::memory_order_release);
            return letter;
        }
    }
    return std::nullopt;
}

std::variant<DriveTable, std::string> driveTableFromRoots(const std::vector<DriveMapping>& roots)
{
    std::map<char, std::string> byLetter;
    for (const DriveMapping& mapping : roots) {
        char* resolved = ::realpath(mapping.root.c_str(), nullptr);
        if (resolved == nullptr) {
            return mapping.root + ": " + std::strerror(errno);
        }
        std::string root = resolved;
        ::free(resolved);
        if (!isDirectoryOnHost(root)) {
            return mapping.root + ": " + std::strerror(ENOTDIR);
        }
        byLetter[asciiUpper(mapping.letter)] = std::move(root);
    }
    std::vector<DriveMapping> mappings;
    mappings.reserve(byLetter.size());
    for (auto& [letter, root] : byLetter) {
        mappings.push_back({letter, std::move(root)});
    }
    return DriveTable{mappings};
}

DriveTable defaultDriveTable()
{
    return driveTableFromMountInfo(thisMachinesMountInfo(), isDirectoryOnHost);
}

}  // namespace mezu::posix
