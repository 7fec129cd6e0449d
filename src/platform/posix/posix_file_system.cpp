// SPDX-License-Identifier: MIT
#include "platform/posix/posix_file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iterator>
#include <memory>
#include <thread>

#include "model/drive_path.h"
#include "model/path_text.h"
#include "platform/posix/file_system_top.h"
#include "platform/posix/physical_path.h"
#include "platform/posix/posix_attributes.h"
#include "platform/posix/posix_tree_walk.h"
#include "platform/posix/rotational_disk.h"

namespace mezu::posix {
namespace {

constexpr int kDirectoryOpenFlags = O_PATH | O_DIRECTORY | O_CLOEXEC;
constexpr int kChildOpenFlags = kDirectoryOpenFlags | O_NOFOLLOW;
// Descriptors kept open for the levels nearest the root; deeper levels but the last are
// reopened when the walk climbs back to them, so that any depth fits the descriptor limit.
constexpr std::size_t kHeldLevels = 64;

bool isDotOrDotDot(const char* name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

class PosixEnumeration final : public DirectoryEnumeration {
public:
    PosixEnumeration(DIR* directory, FileAttributes mask, std::optional<dev_t> device)
        : directory_(directory),
          mask_(mask),
          device_(device)
    {
    }
    ~PosixEnumeration() override { ::closedir(directory_); }
    PosixEnumeration(const PosixEnumeration&) = delete;
    PosixEnumeration& operator=(const PosixEnumeration&) = delete;

    std::string next() override
    {
        errno = 0;
        while (const dirent* entry = ::readdir(directory_)) {
            if (!isDotOrDotDot(entry->d_name) && matches(*entry)) {
                return toDriveName(entry->d_name);
            }
            errno = 0;
        }
        error_ = error_ != 0 ? error_ : errno;
        return {};
    }

    std::string error() const override { return error_ != 0 ? std::strerror(error_) : std::string{}; }

    // Whether the name next() returned last is a directory.
    bool lastWasDirectory() const { return lastWasDirectory_; }

    // What the lstat of the entry next() returned last found; none for a regular file, which
    // needs no lstat to be told apart.
    std::optional<EntryFigures> lastFigures() const override { return lastFigures_; }

private:
    bool matches(const dirent& entry)
    {
        // Regular files need no lstat to be told apart; directories do, for the mount test.
        lastWasDirectory_ = false;
        lastFigures_.reset();
        if (entry.d_type == DT_REG) {
            const FileAttributes attributes = entry.d_name[0] == '.' ? kAttrHidden : kAttrNormal;
            return passesMask(attributes, mask_);
        }
        struct stat status {};
        if (::fstatat(::dirfd(directory_), entry.d_name, &status, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno != ENOENT && error_ == 0) {
                error_ = errno;
            }
            return false;
        }
        lastFigures_ = figuresFromStatus(entry.d_name, status, device_);
        lastWasDirectory_ = isDirectory(lastFigures_->attributes);
        return passesMask(lastFigures_->attributes, mask_);
    }

    DIR* directory_;
    std::optional<EntryFigures> lastFigures_;
    int error_ = 0;
    bool lastWasDirectory_ = false;
    FileAttributes mask_;
    std::optional<dev_t> device_;
};

}  // namespace

PosixFileSystem::PosixFileSystem(std::shared_ptr<DriveTable> table, unsigned readerThreads)
    : table_(table ? std::move(table) : std::make_shared<DriveTable>()),
      readerThreads_(readerThreads)
{
    if (table_->mappings().empty()) {
        return;
    }
    currentDrive_ = table_->mappings().front().letter;
    std::vector<std::string> startComponents;
    const UniqueFd working{::open(".", kDirectoryOpenFlags)};
    if (const std::string workingDirectory = physicalDirectoryPath(".");
        !workingDirectory.empty() && working.valid() && table_->locate(workingDirectory)) {
        std::variant<DriveLocation, std::string> location = locateOnItsFileSystem(workingDirectory, working.get());
        if (DriveLocation* found = std::get_if<DriveLocation>(&location)) {
            currentDrive_ = found->letter;
            startComponents = std::move(found->components);
        }
    }
    currentDirectories_[currentDrive_] = formatDrivePath(currentDrive_, startComponents);
    openCurrentDrive();
}

std::vector<char> PosixFileSystem::drives() const
{
    std::vector<char> letters;
    for (const DriveMapping& mapping : table_->mappings()) {
        letters.push_back(mapping.letter);
    }
    return letters;
}

std::optional<std::string> PosixFileSystem::currentDirectory(char letter) const
{
    const char drive = asciiUpper(letter);
    if (table_->root(drive) == nullptr) {
        return std::nullopt;
    }
    const auto found = currentDirectories_.find(drive);
    return found == currentDirectories_.end() ? formatDrivePath(drive, {}) : found->second;
}

bool PosixFileSystem::openCurrentDrive()
{
    chain_.clear();
    currentDevice_.reset();
    UniqueFd root = openSparingly(HostPath{currentDrive_, {}});
    if (!root.valid()) {
        return false;
    }
    chain_.push_back(Level{{}, std::move(root)});
    std::string& directory = currentDirectories_[currentDrive_];
    const std::optional<HostPath> path = parseDrivePath(directory);
    if (!path || !moveCurrentTo(path->components)) {
        // The drive's current directory has gone: the drive stays usable from its root.
        directory = formatDrivePath(currentDrive_, {});
    }
    return true;
}

bool PosixFileSystem::changeDrive(char letter)
{
    const char drive = asciiUpper(letter);
    if (table_->root(drive) == nullptr) {
        return false;
    }
    if (drive == currentDrive_ && !chain_.empty()) {
        return true;
    }
    if (!openSparingly(HostPath{drive, {}}).valid()) {
        lastError_ = std::strerror(errno);
        return false;
    }
    currentDrive_ = drive;
    return openCurrentDrive();
}

bool PosixFileSystem::changeDirectory(const std::string& drivePath)
{
    const std::optional<HostPath> path = parseDrivePath(drivePath);
    if (!path || table_->root(path->letter) == nullptr) {
        lastError_ = std::strerror(ENOENT);
        return false;
    }
    std::string canonical = formatDrivePath(path->letter, path->components);
    if (path->letter != currentDrive_ || chain_.empty()) {
        if (!openSparingly(*path).valid()) {
            lastError_ = std::strerror(errno);
            return false;
        }
    } else if (!moveCurrentTo(path->components)) {
        lastError_ = std::strerror(errno);
        return false;
    }
    currentDirectories_[path->letter] = std::move(canonical);
    return true;
}

bool PosixFileSystem::changeToSubdirectory(const std::string& name)
{
    const std::string hostName = toHostName(name);
    if (chain_.empty() || hostName.empty() || hostName == "." || hostName == ".." ||
        hostName.find('/') != std::string::npos) {
        return FileSystem::changeToSubdirectory(name);
    }
    UniqueFd fd{::openat(currentFd(), hostName.c_str(), kChildOpenFlags)};
    if (!fd.valid()) {
        lastError_ = std::strerror(errno);
        return false;
    }
    chain_.push_back(Level{hostName, std::move(fd)});
    releaseMiddleDescriptors(std::max(chain_.size() - 2, kHeldLevels));
    currentDevice_.reset();
    std::string& directory = currentDirectories_[currentDrive_];
    directory = childPath(directory, name);
    return true;
}

bool PosixFileSystem::directoryExists(const std::string& drivePath)
{
    const std::optional<HostPath> path = parseDrivePath(drivePath);
    return path && openSparingly(*path).valid();
}

std::vector<std::string> PosixFileSystem::subdirectoryNames(const std::string& drivePath)
{
    std::vector<std::string> names;
    const std::optional<HostPath> path = parseDrivePath(drivePath);
    if (!path) {
        return names;
    }
    const UniqueFd directory = openSparingly(*path);
    if (!directory.valid()) {
        return names;
    }
    UniqueFd readable{::openat(directory.get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
    struct stat status {};
    DIR* listing = readable.valid() && ::fstat(directory.get(), &status) == 0 ? ::fdopendir(readable.get()) : nullptr;
    if (listing == nullptr) {
        return names;
    }
    readable.release();
    // Only what the walk enters: a directory on this device that is neither hidden nor system.
    PosixEnumeration enumeration{listing, kAttrDirectory, status.st_dev};
    for (std::string name = enumeration.next(); !name.empty(); name = enumeration.next()) {
        if (enumeration.lastWasDirectory()) {
            names.push_back(std::move(name));
        }
    }
    return names;
}

std::unique_ptr<DirectoryEnumeration> PosixFileSystem::startEnumeration(std::string_view pattern, FileAttributes mask)
{
    if (pattern != kEveryName && pattern != "*") {
        return nullptr;
    }
    if (chain_.empty()) {
        lastError_ = std::strerror(ENOENT);
        return nullptr;
    }
    UniqueFd readable{::openat(currentFd(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
    DIR* directory = readable.valid() ? ::fdopendir(readable.get()) : nullptr;
    if (directory == nullptr) {
        lastError_ = std::strerror(errno);
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

template <typename FromStatus>
std::optional<std::uint64_t> PosixFileSystem::entryFigure(const std::string& name, FromStatus fromStatus)
{
    if (chain_.empty() || name.empty()) {
        return std::nullopt;
    }
    struct stat status {};
    if (::fstatat(currentFd(), toHostName(name).c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) {
        return std::nullopt;
    }
    return fromStatus(status);
}

std::optional<std::uint64_t> PosixFileSystem::fileLength(const std::string& name)
{
    return entryFigure(name, [](const struct stat& status) {
        return status.st_size < 0 ? std::nullopt : std::optional{static_cast<std::uint64_t>(status.st_size)};
    });
}

std::optional<std::uint64_t> PosixFileSystem::allocatedBytes(const std::string& name)
{
    return entryFigure(name, [](const struct stat& status) { return allocatedBytesOf(status); });
}

std::unique_ptr<TreeWalk> PosixFileSystem::walkTree(const std::string& drivePath)
{
    const std::optional<HostPath> path = parseDrivePath(drivePath);
    if (!path || table_->root(path->letter) == nullptr) {
        return FileSystem::walkTree(drivePath);
    }
    // The descriptors the current directory's chain keeps only for speed are left to the walk.
    releaseMiddleDescriptors(1);
    ScheduledTreeWalk::Options options;
    options.cores = coresOfThisMachine();
    options.mostThreads = readerThreads_ != 0 ? readerThreads_ : kMostReadingThreads;
    if (readerThreads_ == 0 && isOnSpinningDisk(*path)) {
        options.mostThreads = options.cores;
        options.disk = ReaderGate::Disk::Spinning;
    }
    const auto opener = [this](const std::string& directory) {
        const std::optional<HostPath> located = parseDrivePath(directory);
        if (!located) {
            errno = ENOENT;
            return UniqueFd{};
        }
        return openDirectory(*located);
    };
    return std::make_unique<PosixTreeWalk>(formatDrivePath(path->letter, path->components), opener, mountPointParents(),
                                           options);
}

bool PosixFileSystem::isOnSpinningDisk(const HostPath& path) const
{
    const UniqueFd top = openDirectory(path);
    struct stat status {};
    return top.valid() && ::fstat(top.get(), &status) == 0 && isOnRotationalDisk(status.st_dev);
}

const MountPointParents& PosixFileSystem::mountPointParents()
{
    // The mounts are read again for a walk that starts a while after the last: a survey of
    // every drive makes many walks in a row.
    const auto now = std::chrono::steady_clock::now();
    if (!mountPointParents_ || now - mountPointParentsRead_ > kMountsFresh) {
        mountPointParents_ = MountPointParents::ofThisMachine();
        mountPointParentsRead_ = now;
    }
    return *mountPointParents_;
}

ResolvedDirectory PosixFileSystem::resolveDirectory(const std::string& userPath)
{
    const bool drivePath = userPath.size() >= 2 && userPath[1] == ':' && isDriveLetter(userPath[0]);
    std::string host;
    UniqueFd directory;
    if (drivePath) {
        const std::optional<HostPath> path = parseDrivePath(userPath);
        if (!path) {
            return {{}, "not a valid drive path: " + std::get<std::string>(mezu::parseDrivePath(userPath))};
        }
        if (table_->root(path->letter) == nullptr) {
            return {{}, std::string{"there is no drive "} + path->letter + ":"};
        }
        directory = openSparingly(*path);
        if (!directory.valid()) {
            return {{}, std::strerror(errno)};
        }
        host = hostPath(formatDrivePath(path->letter, path->components)).value_or("");
    } else {
        host = physicalDirectoryPath(userPath);
        if (host.empty()) {
            return {{}, std::strerror(errno)};
        }
        // The path as given: the resolved one may be longer than the system takes.
        directory = UniqueFd{::open(userPath.c_str(), kDirectoryOpenFlags)};
        if (!directory.valid()) {
            return {{}, std::strerror(errno)};
        }
    }
    std::variant<DriveLocation, std::string> location = locateOnItsFileSystem(host, directory.get());
    if (std::string* error = std::get_if<std::string>(&location)) {
        return {{}, std::move(*error)};
    }
    const DriveLocation& found = std::get<DriveLocation>(location);
    return {formatDrivePath(found.letter, found.components), {}};
}

std::variant<DriveLocation, std::string> PosixFileSystem::locateOnItsFileSystem(const std::string& hostPath,
                                                                                int directory)
{
    // The walk never leaves the file system it starts on, and it rounds with the cluster size of
    // the drive's file system: a directory on another one needs a drive of its own.
    struct stat status {};
    if (::fstat(directory, &status) != 0) {
        return std::string{std::strerror(errno)};
    }
    if (std::optional<DriveLocation> location = table_->locate(hostPath)) {
        struct stat rootStatus {};
        const std::string* root = table_->root(location->letter);
        if (::stat(root->c_str(), &rootStatus) == 0 && rootStatus.st_dev == status.st_dev) {
            return std::move(*location);
        }
    }
    const std::string top = fileSystemTop(hostPath, directory);
    const std::optional<char> letter = table_->addRunLetter(top);
    if (!letter) {
        return std::string{"on a file system without a drive letter ("} + top +
               "), and every letter from A: to Z: is taken";
    }
    const std::optional<DriveLocation> onTop = DriveTable{{{*letter, top}}}.locate(hostPath);
    return onTop ? *onTop : DriveLocation{*letter, {}};
}

std::optional<PosixFileSystem::HostPath> PosixFileSystem::parseDrivePath(const std::string& drivePath) const
{
    std::variant<DrivePath, std::string> parsed = mezu::parseDrivePath(drivePath);
    DrivePath* path = std::get_if<DrivePath>(&parsed);
    if (path == nullptr) {
        return std::nullopt;
    }
    std::transform(path->components.begin(), path->components.end(), path->components.begin(), toHostName);
    return HostPath{path->letter, std::move(path->components)};
}

std::optional<std::string> PosixFileSystem::hostPath(const std::string& drivePath) const
{
    const std::optional<HostPath> path = parseDrivePath(drivePath);
    const std::string* root = path ? table_->root(path->letter) : nullptr;
    if (root == nullptr) {
        return std::nullopt;
    }
    std::string host = *root;
    for (const std::string& component : path->components) {
        if (host.back() != '/') {
            host += '/';
        }
        host += component;
    }
    return host;
}

std::string PosixFileSystem::formatDrivePath(char letter, const std::vector<std::string>& components) const
{
    DrivePath path{letter, components};
    std::transform(path.components.begin(), path.components.end(), path.components.begin(), toDriveName);
    return path.text();
}

UniqueFd PosixFileSystem::openDirectory(const HostPath& path) const
{
    const std::string* root = table_->root(path.letter);
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

UniqueFd PosixFileSystem::openSparingly(const HostPath& path)
{
    UniqueFd directory = openDirectory(path);
    if (!directory.valid() && isShortOfDescriptors(errno)) {
        releaseMiddleDescriptors(1);
        directory = openDirectory(path);
    }
    return directory;
}

bool PosixFileSystem::moveCurrentTo(const std::vector<std::string>& components)
{
    std::size_t common = 0;
    while (common < components.size() && common + 1 < chain_.size() && chain_[common + 1].name == components[common]) {
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
        if (!fd.valid() && isShortOfDescriptors(errno)) {
            // Only the root, the current directory and the way down need a descriptor.
            for (std::size_t level = 1; level + 1 < chain_.size(); ++level) {
                if (level != base) {
                    chain_[level].fd.reset();
                }
            }
            for (std::size_t level = 0; level + 1 < opened.size(); ++level) {
                opened[level].fd.reset();
            }
            fd = UniqueFd{::openat(parent, components[i].c_str(), kChildOpenFlags)};
        }
        if (!fd.valid()) {
            return false;
        }
        parent = fd.get();
        opened.push_back(Level{components[i], std::move(fd)});
    }
    chain_.erase(chain_.begin() + static_cast<std::ptrdiff_t>(base) + 1, chain_.end());
    std::move(opened.begin(), opened.end(), std::back_inserter(chain_));
    releaseMiddleDescriptors(kHeldLevels);
    currentDevice_.reset();
    return true;
}

void PosixFileSystem::releaseMiddleDescriptors(std::size_t from)
{
    for (std::size_t i = from; i + 1 < chain_.size(); ++i) {
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
