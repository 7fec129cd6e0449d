#include "platform/posix/directory_listing.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cstring>

#include "platform/posix/posix_attributes.h"

namespace mezu::posix {
namespace {

constexpr char kDriveNameSeparator = '/';
constexpr char kHostNameBackslash = '\\';

static_assert((kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrDirectory | kAttrArchive) <= UINT16_MAX,
              "attributes are stored in 16 bits");

bool isDotOrDotDot(const char* name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

}  // namespace

std::size_t DirectoryListing::find(std::string_view driveName, std::size_t hint) const
{
    if (hint < count && name(hint) == driveName) {
        return hint;
    }
    for (std::size_t i = 0; i < count; ++i) {
        if (name(i) == driveName) {
            return i;
        }
    }
    return kNotFound;
}

DirectoryReader::DirectoryReader() : buffer_(std::make_unique<char[]>(kBufferBytes)) {}

const DirectoryListing* DirectoryReader::unreadable()
{
    return arena_.create<DirectoryListing>();
}

const DirectoryListing* DirectoryReader::read(int fd, std::optional<std::uint64_t> device)
{
    if (!device) {
        struct stat directory {};
        if (::fstat(fd, &directory) != 0) {
            return unreadable();
        }
        device = directory.st_dev;
    }
    entries_.clear();
    names_.clear();
    for (;;) {
        const ssize_t read = ::getdents64(fd, buffer_.get(), kBufferBytes);
        if (read <= 0) {
            break;
        }
        for (ssize_t offset = 0; offset < read;) {
            const auto* entry = reinterpret_cast<const dirent64*>(buffer_.get() + offset);
            offset += entry->d_reclen;
            if (isDotOrDotDot(entry->d_name)) {
                continue;
            }
            struct stat status {};
            if (::fstatat(fd, entry->d_name, &status, AT_SYMLINK_NOFOLLOW) != 0) {
                continue;
            }
            DirectoryListing::Entry item;
            item.nameOffset = static_cast<std::uint32_t>(names_.size());
            item.nameLength = static_cast<std::uint16_t>(std::strlen(entry->d_name));
            item.attributes = static_cast<std::uint16_t>(
                attributesFromStatus(entry->d_name, status, static_cast<dev_t>(*device)));
            item.length = status.st_size < 0 ? 0 : static_cast<std::uint64_t>(status.st_size);
            names_.append(entry->d_name, item.nameLength + 1U);
            entries_.push_back(item);
        }
    }
    for (char& c : names_) {
        if (c == kHostNameBackslash) {
            c = kDriveNameSeparator;
        }
    }
    return arena_.create<DirectoryListing>(true, *device, entries_.size(),
                                           arena_.copy(entries_.data(), entries_.size()),
                                           arena_.copy(names_.data(), names_.size()));
}

}  // namespace mezu::posix
