// SPDX-License-Identifier: MIT
#include "platform/posix/posix_attributes.h"

#include <algorithm>
#include <limits>

namespace mezu::posix {
namespace {

constexpr char kDriveNameSeparator = '/';
constexpr char kHostNameBackslash = '\\';

}  // namespace

FileAttributes attributesFromStatus(const char* hostName, const struct stat& status, std::optional<dev_t> parentDevice)
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

EntryFigures figuresFromStatus(const char* hostName, const struct stat& status, std::optional<dev_t> parentDevice)
{
    return EntryFigures{
        .attributes = attributesFromStatus(hostName, status, parentDevice),
        .length = status.st_size < 0 ? 0 : static_cast<std::uint64_t>(status.st_size),
        .allocated = allocatedBytesOf(status).value_or(0),
        .modified = static_cast<std::int64_t>(status.st_mtim.tv_sec),
        .links =
            static_cast<std::uint32_t>(std::min<nlink_t>(status.st_nlink, std::numeric_limits<std::uint32_t>::max())),
        .fileId = static_cast<std::uint64_t>(status.st_ino),
    };
}

std::optional<std::uint64_t> allocatedBytesOf(const struct stat& status)
{
    // st_blocks counts 512-byte units on every system this runs on, whatever st_blksize says.
    constexpr std::uint64_t kBlockUnit = 512;
    if (status.st_blocks < 0 ||
        static_cast<std::uint64_t>(status.st_blocks) > std::numeric_limits<std::uint64_t>::max() / kBlockUnit) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(status.st_blocks) * kBlockUnit;
}

}  // namespace mezu::posix
