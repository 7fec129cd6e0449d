#include "platform/posix/posix_file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <iterator>
#include <memory>

namespace mezu::posix {
namespace {

constexpr int kDirectoryOpenFlags = O_PATH | O_DIRECTORY | O_CLOEXEC;
constexpr int kChildOpenFlags = kDirectoryOpenFlags | O_NOFOLLOW;
// Descriptors kept open for the levels nearest the root; deeper levels but the last are
// reopened when the walk climbs back to them, so that any depth fits the descriptor limit.
constexpr std::size_t kHeldLevels = 64;
constexpr char kDriveNameSeparator = '/';
constexpr char kHostNameBackslash = '\\';

char upper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string toDriveName(std::string name)
{
    std::replace(name.begin(), name.end(), kHostNameBackslash, kDriveNameSeparator);
    return name;
}

std::string toHostName(std::string name)
{
    std::replace(name.begin(), name.end(), kDriveNameSeparator, kHostNameBackslash);
    return name;
}

FileAttributes attributesFromStatus(const char* hostName, const struct stat& status,
                                    std::optional<dev_t> parentDevice)
{
    FileAttributes attributes = kAttrNormal;
    if (hostName[0] == '.') {
        attributes |= kAttrHidden;
    }
    if (S_ISDIR(status.st_mode)) {
        attributes |= kAttrDirectory;
        if (parentDevice && status.st_dev != *parentDevice) {
            attributes |= kAttrSystem;
        }
    } else if (!S_ISREG(status.st_mode)) {
        attributes |= kAttrSystem;
    }
    if ((status.st_mode & S_IWUSR) == 0) {
        attributes |= kAttrReadOnly;
    }
    return attributes;
}

bool isDotOrDotDot(const char* name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

class PosixEnumeration final : public DirectoryEnumeration {
public:
    PosixEnumeration(DIR* directory, FileAttributes mask, std::optional<dev_t> device)
        : directory_(directory), mask_(mask), device_(device)
    {
    }
    ~PosixEnumeration() override { ::closedir(directory_); }
    PosixEnumeration(const PosixEnumeration&) = delete;
    PosixEnumeration& operator=(const PosixEnumeration&) = delete;

    std::string next() override
    {
        while (const dirent* entry = ::readdir(directory_)) {
            if (!isDotOrDotDot(entry->d_name) && matches(*entry)) {
                return toDriveName(entry->d_name);
            }
        }
        return {};
    }

private:
    bool matches(const dirent& entry) const
    {
        // Regular files need no lstat to be told apart; directories do, for the mount test.
        if (entry.d_type == DT_REG) {
            const FileAttributes attributes = entry.d_name[0] == '.' ? kAttrHidden : kAttrNormal;
            return passesMask(attributes, mask_);
        }
        struct stat status {};
        if (::fstatat(::dirfd(directory_), entry.d_name, &status, AT_SYMLINK_NOFOLLOW) != 0) {
            return false;
        }
        return passesMask(attributesFromStatus(entry.d_name, status, device_), mask_);
    }

    DIR* directory_;
    FileAttributes mask_;
    std::optional<dev_t> device_;
};

}  // namespace

PosixFileSystem::PosixFileSystem(DriveTable table) : table_(std::move(table))
{
    if (table_.mappings().empty()) {
        return;
    }
    currentDrive_ = table_.mappings().front().letter;
    std::vector<std::string> startComponents;
    if (char* workingDirectory = ::realpath(".", nullptr)) {
        if (std::optional<DriveLocation> location = table_.locate(workingDirectory)) {
            currentDrive_ = location->letter;
            startComponents = std::move(location->components);
        }
        ::free(workingDirectory);
    }
    currentDirectories_[currentDrive_] = {};
    UniqueFd root = openDirectory(HostPath{currentDrive_, {}});
    if (!root.valid()) {
        return;
    }
    chain_.push_back(Level{{}, std::move(root)});
    if (moveCurrentTo(startComponents)) {
        currentDirectories_[currentDrive_] = startComponents;
    }
}

std::vector<char> PosixFileSystem::drives() const
{
    std::vector<char> letters;
    for (const DriveMapping& mapping : table_.mappings()) {
        letters.push_back(mapping.letter);
    }
    return letters;
}

std::optional<std::string> PosixFileSystem::currentDirectory(char letter) const
{
    const char drive = upper(letter);
    if (table_.root(drive) == nullptr) {
        return std::nullopt;
    }
    const auto found = currentDirectories_.find(drive);
    return formatDrivePath(drive, found == currentDirectories_.end()
                                      ? std::vector<std::string>{}
                                      : found->second);
}

bool PosixFileSystem::changeDrive(char letter)
{
    const char drive = upper(letter);
    if (drive == currentDrive_ && !chain_.empty()) {
        return true;
    }
    UniqueFd root = openDirectory(HostPath{drive, {}});
    if (!root.valid()) {
        return false;
    }
    chain_.clear();
    chain_.push_back(Level{{}, std::move(root)});
    currentDrive_ = drive;
    currentDevice_.reset();
    std::vector<std::string>& directory = currentDirectories_[drive];
    if (!moveCurrentTo(directory)) {
        // The drive's current directory has gone: the drive stays usable from its root.
        directory.clear();
    }
    return true;
}

bool PosixFileSystem::changeDirectory(const std::string& drivePath)
{
    const std::optional<HostPath> path = parseDrivePath(drivePath);
    if (!path || table_.root(path->letter) == nullptr) {
        return false;
    }
    if (path->letter != currentDrive_ || chain_.empty()) {
        if (!openDirectory(*path).valid()) {
            return false;
        }
        currentDirectories_[path->letter] = path->components;
        return true;
    }
    if (!moveCurrentTo(path->components)) {
        return false;
    }
    currentDirectories_[currentDrive_] = path->components;
    return true;
}

bool PosixFileSystem::directoryExists(const std::string& drivePath)
{
    const std::optional<HostPath> path = parseDrivePath(drivePath);
    return path && openDirectory(*path).valid();
}

std::vector<std::string> PosixFileSystem::subdirectoryNames(const std::string& drivePath)
{
    std::vector<std::string> names;
    const std::optional<HostPath> path = parseDrivePath(drivePath);
    if (!path) {
        return names;
    }
    const UniqueFd directory = openDirectory(*path);
    if (!directory.valid()) {
        return names;
    }
    UniqueFd readable{::openat(directory.get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
    struct stat status {};
    DIR* listing = readable.valid() && ::fstat(directory.get(), &status) == 0
                       ? ::fdopendir(readable.get())
                       : nullptr;
    if (listing == nullptr) {
        return names;
    }
    readable.release();
    PosixEnumeration enumeration{listing, kAttrDirectory, status.st_dev};
    for (std::string name = enumeration.next(); !name.empty(); name = enumeration.next()) {
        struct stat entry {};
        if (::fstatat(directory.get(), toHostName(name).c_str(), &entry, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISDIR(entry.st_mode)) {
            names.push_back(std::move(name));
        }
    }
    return names;
}

std::unique_ptr<DirectoryEnumeration> PosixFileSystem::startEnumeration(std::string_view pattern,
                                                                        FileAttributes mask)
{
    if ((pattern != kEveryName && pattern != "*") || chain_.empty()) {
        return nullptr;
    }
    UniqueFd readable{::openat(currentFd(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
    if (!readable.valid()) {
        return nullptr;
    }
    DIR* directory = ::fdopendir(readable.get());
    if (directory == nullptr) {
        return nullptr;
    }
    readable.release();
    return std::make_unique<PosixEnumeration>(directory, mask, currentDevice());
}

std::optional<FileAttributes> PosixFileSystem::attributes(const std::string& name)
{
    if (chain_.empty() || name.empty()) {
        return std::nullopt;
    }
    const std::string hostName = toHostName(name);
    struct stat status {};
    if (::fstatat(currentFd(), hostName.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) {
        return std::nullopt;
    }
    return attributesFromStatus(hostName.c_str(), status, currentDevice());
}

std::optional<std::uint64_t> PosixFileSystem::fileLength(const std::string& name)
{
    if (chain_.empty() || name.empty()) {
        return std::nullopt;
    }
    struct stat status {};
    if (::fstatat(currentFd(), toHostName(name).c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0 ||
        status.st_size < 0) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(status.st_size);
}

ResolvedDirectory PosixFileSystem::resolveDirectory(const std::string& userPath)
{
    const bool drivePath = userPath.size() >= 2 && userPath[1] == ':' &&
                           std::isalpha(static_cast<unsigned char>(userPath[0]));
    if (drivePath) {
        const std::optional<HostPath> path = parseDrivePath(userPath);
        if (!path) {
            return {{}, "not a valid drive path"};
        }
        if (table_.root(path->letter) == nullptr) {
            return {{}, std::string{"there is no drive "} + path->letter + ":"};
        }
        if (!openDirectory(*path).valid()) {
            return {{}, std::strerror(errno)};
        }
        return {formatDrivePath(path->letter, path->components), {}};
    }

    char* resolved = ::realpath(userPath.c_str(), nullptr);
    if (resolved == nullptr) {
        return {{}, std::strerror(errno)};
    }
    const std::string hostPath = resolved;
    ::free(resolved);
    struct stat status {};
    if (::stat(hostPath.c_str(), &status) != 0) {
        return {{}, std::strerror(errno)};
    }
    if (!S_ISDIR(status.st_mode)) {
        return {{}, std::strerror(ENOTDIR)};
    }
    const std::optional<DriveLocation> location = table_.locate(hostPath);
    if (!location) {
        return {{}, "not on any drive"};
    }
    return {formatDrivePath(location->letter, location->components), {}};
}

std::optional<PosixFileSystem::HostPath> PosixFileSystem::parseDrivePath(
    const std::string& drivePath) const
{
    if (drivePath.size() < 2 || drivePath[1] != ':') {
        return std::nullopt;
    }
    HostPath path{upper(drivePath[0]), {}};
    std::size_t start = 2;
    while (start < drivePath.size()) {
        const std::size_t end = std::min(drivePath.find('\\', start), drivePath.size());
        if (end > start) {
            std::string name = toHostName(drivePath.substr(start, end - start));
            if (name == "." || name == "..") {
                return std::nullopt;
            }
            path.components.push_back(std::move(name));
        }
        start = end + 1;
    }
    return path;
}

std::string PosixFileSystem::formatDrivePath(char letter,
                                             const std::vector<std::string>& components) const
{
    std::string path{letter};
    path += ":\\";
    for (std::size_t i = 0; i < components.size(); ++i) {
        if (i != 0) {
            path += '\\';
        }
        path += toDriveName(components[i]);
    }
    return path;
}

UniqueFd PosixFileSystem::openDirectory(const HostPath& path) const
{
    const std::string* root = table_.root(path.letter);
    if (root == nullptr) {
        errno = ENOENT;
        return UniqueFd{};
    }
    UniqueFd directory{::open(root->c_str(), kDirectoryOpenFlags)};
    for (const std::string& name : path.components) {
        if (!directory.valid()) {
            break;
        }
        directory = UniqueFd{::openat(directory.get(), name.c_str(), kChildOpenFlags)};
    }
    return directory;
}

bool PosixFileSystem::moveCurrentTo(const std::vector<std::string>& components)
{
    std::size_t common = 0;
    while (common < components.size() && common + 1 < chain_.size() &&
           chain_[common + 1].name == components[common]) {
        ++common;
    }
    std::size_t base = common;
    while (!chain_[base].fd.valid()) {
        --base;
    }
    std::vector<Level> opened;
    int parent = chain_[base].fd.get();
    for (std::size_t i = base; i < components.size(); ++i) {
        UniqueFd fd{::openat(parent, components[i].c_str(), kChildOpenFlags)};
        if (!fd.valid()) {
            return false;
        }
        parent = fd.get();
        opened.push_back(Level{components[i], std::move(fd)});
    }
    chain_.erase(chain_.begin() + static_cast<std::ptrdiff_t>(base) + 1, chain_.end());
    std::move(opened.begin(), opened.end(), std::back_inserter(chain_));
    releaseMiddleDescriptors();
    currentDevice_.reset();
    return true;
}

void PosixFileSystem::releaseMiddleDescriptors()
{
    for (std::size_t i = kHeldLevels; i + 1 < chain_.size(); ++i) {
        chain_[i].fd.reset();
    }
}

int PosixFileSystem::currentFd() const
{
    return chain_.back().fd.get();
}

std::optional<dev_t> PosixFileSystem::currentDevice()
{
    if (!currentDevice_) {
        struct stat status {};
        if (::fstat(currentFd(), &status) == 0) {
            currentDevice_ = status.st_dev;
        }
    }
    return currentDevice_;
}

}  // namespace mezu::posix
