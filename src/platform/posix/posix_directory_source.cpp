// SPDX-License-Identifier: MIT
#include "platform/posix/posix_directory_source.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/posix/directory_reader.h"
#include "platform/posix/posix_attributes.h"

namespace mezu::posix {
namespace {

constexpr int kReadFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
constexpr int kPathFlags = O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// A subdirectory its parent listed that is not there as a directory any more.
bool hasGone(int error)
{
    return error == ENOENT || error == ENOTDIR || error == ELOOP;
}

// A directory opened for its read, or why it could not be.
struct Opening {
    UniqueFd fd;          // for reading
    bool opened = false;  // opened at all, if perhaps not for reading
    int error = 0;
    bool examined = false;  // `status` is the directory's own
    struct stat status {};
};

Opening openRelative(const DescriptorBudget::Held& parent, const std::string& hostName, bool& wasOpen)
{
    Opening opening;
    opening.fd = parent.openBelow(hostName.c_str(), kReadFlags, wasOpen);
    if (!wasOpen) {
        return opening;
    }
    if (opening.fd.valid()) {
        opening.opened = true;
        opening.examined = ::fstat(opening.fd.get(), &opening.status) == 0;
        return opening;
    }
    opening.error = errno;
    if (hasGone(opening.error)) {
        return opening;
    }
    // Whether it can be opened at all, though not read (a directory without read permission).
    bool stillOpen = false;
    const UniqueFd path = parent.openBelow(hostName.c_str(), kPathFlags, stillOpen);
    opening.opened = path.valid();
    opening.examined = path.valid() && ::fstat(path.get(), &opening.status) == 0;
    return opening;
}

Opening openByPath(const PosixDirectorySource::PathOpener& opener, const std::string& drivePath)
{
    Opening opening;
    const UniqueFd path = opener(drivePath);
    if (!path.valid()) {
        opening.error = errno;
        return opening;
    }
    opening.opened = true;
    opening.fd = UniqueFd{::openat(path.get(), ".", kReadFlags & ~O_NOFOLLOW)};
    opening.error = opening.fd.valid() ? 0 : errno;
    opening.examined = ::fstat(path.get(), &opening.status) == 0;
    return opening;
}

}  // namespace

PosixDirectorySource::PosixDirectorySource(PathOpener openByPath, MountPointParents mountPointParents,
                                           DescriptorBudget& budget)
    : openByPath_(std::move(openByPath)),
      mountPointParents_(std::move(mountPointParents)),
      searchPermission_(SearchPermission::ofThisProcess()),
      budget_(budget)
{
}

DirectorySource::Read PosixDirectorySource::read(const Request& request, TaskSharing& helpers)
{
    const DescriptorBudget::ReadTicket ticket = budget_.forRead();
    const auto* parent = static_cast<const DescriptorBudget::Held*>(request.parent);
    Read read;
    TreeWalk::Listing& listing = read.listing;

    Opening opening;
    bool wasOpen = false;
    if (parent != nullptr) {
        opening = openRelative(*parent, toHostName(std::string{request.name}), wasOpen);
    }
    if (!wasOpen) {
        opening = openByPath(openByPath_, request.path());
    }
    if (parent != nullptr && hasGone(opening.error) && !opening.opened) {
        listing.gone = true;
        return read;
    }
    // Only a subdirectory left unexamined by its parent's read can be a mount point here.
    if (parent != nullptr && opening.examined && opening.status.st_dev != parent->device()) {
        listing.opened = true;
        listing.otherFileSystem = true;
        return read;
    }
    listing.opened = opening.opened;
    if (!opening.fd.valid() || !opening.examined) {
        listing.error = std::strerror(opening.error != 0 ? opening.error : errno);
        return read;
    }
    listing.readable = true;

    DirectoryReader::Examine examine = DirectoryReader::Examine::EveryEntry;
    // A directory this process may not search has every entry examined with it, so that an
    // entry it cannot examine is reported as its directory's, as it always was.
    if (searchPermission_.maySearch(opening.status)) {
        examine = mountPointParents_.mayHoldMountPoint(opening.status.st_dev, opening.status.st_ino)
                      ? DirectoryReader::Examine::AllButHidden
                      : DirectoryReader::Examine::AllButHiddenAndSubdirectories;
    }
    thread_local DirectoryReader reader;
    DirectoryReader::Result result =
        reader.read(opening.fd.get(), static_cast<std::uint64_t>(opening.status.st_dev), &helpers, examine);
    listing.entries = {result.packed.entries, result.count};
    listing.volume = static_cast<std::uint64_t>(opening.status.st_dev);
    if (result.error != 0) {
        listing.error = std::strerror(result.error);
    }
    read.memory = std::move(result.packed.memory);
    read.bytes = result.packed.bytes;
    const bool namesSubdirectories =
        std::any_of(listing.entries.begin(), listing.entries.end(),
                    [](const WalkEntry& entry) { return isDirectory(entry.figures.attributes); });
    if (namesSubdirectories) {
        read.opened = budget_.hold(std::move(opening.fd), opening.status.st_dev);
    }
    return read;
}

}  // namespace mezu::posix
