#include "platform/posix/directory_listing.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <array>
#include <cstring>
#include <optional>

#include "platform/posix/posix_attributes.h"

namespace mezu::posix {
namespace {

constexpr std::size_t kReadBufferBytes = 64 * 1024;
constexpr char kDriveNameSeparator = '/';
constexpr char kHostNameBackslash = '\\';

bool isDotOrDotDot(const char* name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

}  // namespace

std::size_t DirectoryListing::find(std::string_view driveName, std::size_t hint) const
{
    if (hint < entries.size() && name(hint) == driveName) {
        return hint;
    }
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (name(i) == driveName) {
            return i;
        }
    }
    return kNotFound;
}

DirectoryListing readListing(int fd)
{
    DirectoryListing listing;
    struct stat directory {};
    if (::fstat(fd, &directory) != 0) {
        return listing;
    }
    alignas(dirent64) static thread_local std::array<char, kReadBufferBytes> buffer;
    for (;;) {
        const ssize_t read = ::getdents64(fd, buffer.data(), buffer.size());
        if (read < 0) {
            // What was read before the failure stands; the directory counts as read.
            break;
        }
        if (read == 0) {
            break;
        }
        for (ssize_t offset = 0; offset < read;) {
            const auto* entry = reinterpret_cast<const dirent64*>(buffer.data() + offset);
            offset += entry->d_reclen;
            if (isDotOrDotDot(entry->d_name)) {
                continue;
            }
            struct stat status {};
            if (::fstatat(fd, entry->d_name, &status, AT_SYMLINK_NOFOLLOW) != 0) {
                continue;
            }
            DirectoryListing::Entry item;
            item.nameOffset = static_cast<std::uint32_t>(listing.names.size());
            item.nameLength = static_cast<std::uint32_t>(std::strlen(entry->d_name));
            item.attributes = attributesFromStatus(entry->d_name, status, directory.st_dev);
            item.length = status.st_size < 0 ? 0 : static_cast<std::uint64_t>(status.st_size);
            listing.names.append(entry->d_name, item.nameLength);
            listing.entries.push_back(item);
        }
    }
    for (char& c : listing.names) {
        if (c == kHostNameBackslash) {
            c = kDriveNameSeparator;
        }
    }
    listing.readable = true;
    return listing;
}

}  // namespace mezu::posix
