#include "platform/posix/drive_table.h"

#include <stdlib.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <map>

#include <algorithm>
#include <array>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>

namespace mezu::posix {
namespace {

constexpr char kFirstDrive = 'C';
constexpr char kLastDrive = 'Z';

char upper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

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

// Mount points escape space, tab, newline and backslash as three octal digits.
std::string unescapeMountField(std::string_view field)
{
    std::string text;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() &&
            std::all_of(field.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                        field.begin() + static_cast<std::ptrdiff_t>(i) + 4,
                        [](char c) { return c >= '0' && c <= '7'; })) {
            text += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                                      (field[i + 3] - '0'));
            i += 3;
        } else {
            text += field[i];
        }
    }
    return text;
}

bool isNetworkFileSystem(const std::string& type)
{
    static const std::set<std::string> kNetworkTypes = {
        "nfs", "nfs4", "cifs", "smb3", "smbfs", "ceph", "glusterfs", "fuse.sshfs",
        "fuse.glusterfs", "afs", "9p"};
    return kNetworkTypes.count(type) != 0;
}

struct MountEntry {
    std::string device;  // major:minor
    std::string root;    // the part of the file system mounted here ("/" unless a bind mount)
    std::string mountPoint;
    std::string type;
    std::string source;
};

std::vector<MountEntry> parseMountInfo(std::string_view text)
{
    std::vector<MountEntry> entries;
    std::istringstream lines{std::string{text}};
    for (std::string line; std::getline(lines, line);) {
        std::istringstream fields{line};
        std::vector<std::string> words;
        for (std::string word; fields >> word;) {
            words.push_back(word);
        }
        const auto separator = std::find(words.begin(), words.end(), "-");
        if (words.size() < 5 || separator == words.end() || words.end() - separator < 3) {
            continue;
        }
        MountEntry entry;
        entry.device = words[2];
        entry.root = unescapeMountField(words[3]);
        entry.mountPoint = unescapeMountField(words[4]);
        entry.type = *(separator + 1);
        entry.source = unescapeMountField(*(separator + 2));
        entries.push_back(std::move(entry));
    }
    return entries;
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
    const std::vector<MountEntry> entries = parseMountInfo(mountInfo);
    // Mount order is the order of the lines: a later mount on the same point, or on a directory
    // above it, covers an earlier one, whose files can no longer be reached by any path.
    auto covered = [&entries](std::size_t index) {
        const std::string& point = entries[index].mountPoint;
        for (std::size_t later = index + 1; later < entries.size(); ++later) {
            const std::string& above = entries[later].mountPoint;
            if (above == point ||
                (above != "/" && point.size() > above.size() && point.compare(0, above.size(), above) == 0 &&
                 point[above.size()] == '/')) {
                return true;
            }
        }
        return false;
    };
    std::set<std::string> devicesTaken;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].mountPoint == "/" && !covered(i)) {
            devicesTaken.insert(entries[i].device);
        }
    }
    std::vector<const MountEntry*> candidates;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const MountEntry& entry = entries[i];
        const bool diskOrNetwork =
            (!entry.source.empty() && entry.source.front() == '/') || isNetworkFileSystem(entry.type);
        if (entry.mountPoint == "/" || entry.root != "/" || !diskOrNetwork || covered(i) ||
            !isDirectory(entry.mountPoint)) {
            continue;
        }
        candidates.push_back(&entry);
    }
    std::sort(candidates.begin(), candidates.end(),
              [](const MountEntry* a, const MountEntry* b) { return a->mountPoint < b->mountPoint; });

    std::vector<DriveMapping> mappings{{kFirstDrive, "/"}};
    char next = kFirstDrive + 1;
    for (const MountEntry* entry : candidates) {
        if (next > kLastDrive) {
            break;
        }
        if (!devicesTaken.insert(entry->device).second) {
            continue;
        }
        mappings.push_back({next++, entry->mountPoint});
    }
    return DriveTable{std::move(mappings)};
}

DriveTable::DriveTable(std::vector<DriveMapping> mappings) : mappings_(std::move(mappings))
{
    for (DriveMapping& mapping : mappings_) {
        mapping.letter = upper(mapping.letter);
        while (mapping.root.size() > 1 && mapping.root.back() == '/') {
            mapping.root.pop_back();
        }
    }
    std::sort(mappings_.begin(), mappings_.end(),
              [](const DriveMapping& a, const DriveMapping& b) { return a.letter < b.letter; });
}

const std::string* DriveTable::root(char letter) const
{
    const char drive = upper(letter);
    for (const DriveMapping& mapping : mappings_) {
        if (mapping.letter == drive) {
            return &mapping.root;
        }
    }
    return nullptr;
}

std::optional<DriveLocation> DriveTable::locate(std::string_view hostPath) const
{
    const std::vector<std::string> pathComponents = splitComponents(hostPath);
    std::optional<DriveLocation> best;
    std::size_t bestDepth = 0;
    for (const DriveMapping& mapping : mappings_) {
        const std::vector<std::string> rootComponents = splitComponents(mapping.root);
        const bool isPrefix =
            rootComponents.size() <= pathComponents.size() &&
            std::equal(rootComponents.begin(), rootComponents.end(), pathComponents.begin());
        if (isPrefix && (!best || rootComponents.size() > bestDepth)) {
            bestDepth = rootComponents.size();
            best = DriveLocation{
                mapping.letter,
                {pathComponents.begin() + static_cast<std::ptrdiff_t>(bestDepth), pathComponents.end()}};
        }
    }
    return best;
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
        byLetter[upper(mapping.letter)] = std::move(root);
    }
    std::vector<DriveMapping> mappings;
    for (auto& [letter, root] : byLetter) {
        mappings.push_back({letter, std::move(root)});
    }
    return DriveTable{std::move(mappings)};
}

DriveTable defaultDriveTable()
{
    return driveTableFromMountInfo(thisMachinesMountInfo(), isDirectoryOnHost);
}

std::string thisMachinesMountInfo()
{
    std::ifstream file{"/proc/self/mountinfo"};
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::vector<std::string> mountPointsFromMountInfo(std::string_view mountInfo)
{
    std::vector<std::string> mountPoints;
    for (MountEntry& entry : parseMountInfo(mountInfo)) {
        mountPoints.push_back(std::move(entry.mountPoint));
    }
    return mountPoints;
}

}  // namespace mezu::posix
