// SPDX-License-Identifier: MIT
#include "platform/posix/directory_reader.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/posix/posix_attributes.h"

namespace mezu::posix {
namespace {

constexpr char kDriveNameSeparator = '/';
constexpr char kHostNameBackslash = '\\';
constexpr FileAttributes kNotWalked = kAttrHidden | kAttrSystem;

bool isDotOrDotDot(const char* name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// Whether the entry is left unexamined, and then its attributes from its name and type.
bool leftUnexamined(const dirent64& entry, DirectoryReader::Examine examine, FileAttributes& attributes)
{
    using Examine = DirectoryReader::Examine;
    if (examine == Examine::EveryEntry || entry.d_type == DT_UNKNOWN) {
        return false;
    }
    const bool hidden = entry.d_name[0] == '.';
    if (!hidden && (examine != Examine::AllButHiddenAndSubdirectories || entry.d_type != DT_DIR)) {
        return false;
    }
    const FileAttributes type = entry.d_type == DT_DIR   ? kAttrDirectory
                                : entry.d_type == DT_REG ? kAttrNormal
                                                         : kAttrSystem;
    attributes = type | (hidden ? kAttrHidden : kAttrNormal);
    return true;
}

}  // namespace

EntryExamination::EntryExamination(int fd, std::uint64_t device, const char* names, std::vector<ReadEntry>& entries)
    : fd_(fd),
      device_(device),
      names_(names),
      entries_(entries)
{
}

void EntryExamination::takePart()
{
    for (;;) {
        const std::size_t begin = nextChunk_.fetch_add(1, std::memory_order_relaxed) * kChunk;
        if (begin >= entries_.size()) {
            return;
        }
        const std::size_t end = std::min(begin + kChunk, entries_.size());
        for (std::size_t i = begin; i < end; ++i) {
            ReadEntry& entry = entries_[i];
            if (entry.examined) {
                continue;
            }
            const char* name = names_ + entry.nameOffset;
            // Left for fstatat to fill: it is read only when the call succeeded.
            struct stat status;
            if (::fstatat(fd_, name, &status, AT_SYMLINK_NOFOLLOW) != 0) {
                // An entry removed since the directory was read is simply gone; any other
                // failure leaves the directory short of an entry, which must be said.
                if (errno != ENOENT) {
                    int none = 0;
                    error_.compare_exchange_strong(none, errno, std::memory_order_relaxed);
                }
                entry.nameLength = 0;
                continue;
            }
            entry.examined = true;
            entry.figures = figuresFromStatus(name, status, static_cast<dev_t>(device_));
        }
    }
}

DirectoryReader::DirectoryReader()
    : buffer_(std::make_unique_for_overwrite<char[]>(kBufferBytes))
{
}

DirectoryReader::Result DirectoryReader::read(int fd, std::uint64_t device, TaskSharing* helpers, Examine examine)
{
    entries_.clear();
    names_.clear();
    int error = 0;
    for (;;) {
        const ssize_t read = ::getdents64(fd, buffer_.get(), kBufferBytes);
        if (read <= 0) {
            error = read < 0 ? errno : 0;
            break;
        }
        for (ssize_t offset = 0; offset < read;) {
            const auto* entry = reinterpret_cast<const dirent64*>(buffer_.get() + offset);
            offset += entry->d_reclen;
            if (isDotOrDotDot(entry->d_name)) {
                continue;
            }
            ReadEntry item;
            item.nameOffset = static_cast<std::uint32_t>(names_.size());
            item.nameLength = static_cast<std::uint16_t>(std::strlen(entry->d_name));
            FileAttributes attributes = kAttrNormal;
            if (leftUnexamined(*entry, examine, attributes)) {
                item.examined = true;
                item.figures.attributes = attributes;
            }
            // Hidden and special entries the walk never uses need not be kept at all.
            if (!(item.examined && (attributes & kNotWalked) != 0)) {
                names_.append(entry->d_name, item.nameLength + 1U);
                entries_.push_back(item);
            }
        }
    }

    EntryExamination examination{fd, device, names_.data(), entries_};
    const bool shared = helpers != nullptr && entries_.size() >= kShareFrom && helpers->share(examination);
    examination.takePart();
    if (shared) {
        helpers->unshare(examination);
    }

    const auto used = [](const ReadEntry& entry) {
        return entry.nameLength != 0 && (entry.figures.attributes & kNotWalked) == 0;
    };
    std::size_t count = 0;
    std::size_t nameBytes = 0;
    for (const ReadEntry& entry : entries_) {
        if (used(entry)) {
            ++count;
            nameBytes += entry.nameLength;
        }
    }
    Result result{packEntries(count, nameBytes), count, error != 0 ? error : examination.error()};
    char* names = result.packed.names;
    WalkEntry* out = result.packed.entries;
    // Hardly any name holds a backslash: one look through them all costs less than rewriting each.
    const bool anyBackslash = std::memchr(names_.data(), kHostNameBackslash, names_.size()) != nullptr;
    for (const ReadEntry& entry : entries_) {
        if (!used(entry)) {
            continue;
        }
        char* name = std::copy_n(names_.data() + entry.nameOffset, entry.nameLength, names) - entry.nameLength;
        if (anyBackslash) {
            std::replace(name, name + entry.nameLength, kHostNameBackslash, kDriveNameSeparator);
        }
        new (out++) WalkEntry{std::string_view{name, entry.nameLength}, entry.figures};
        names += entry.nameLength;
    }
    return result;
}

}  // namespace mezu::posix
