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

EntryExamination::EntryExamination(int fd, std::uint64_t device, const char* names, std::span<const ReadEntry> entries,
                                   std::span<WalkEntry> examined)
    : fd_(fd),
      device_(device),
      names_(names),
      entries_(entries),
      examined_(examined)
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
            const ReadEntry& entry = entries_[i];
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
                examined_[i].name = {};
                continue;
            }
            examined_[i].figures = figuresFromStatus(name, status, static_cast<dev_t>(device_));
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
            item.examined = leftUnexamined(*entry, examine, item.attributes);
            // Hidden and special entries the walk never uses need not be kept at all.
            if (!(item.examined && (item.attributes & kNotWalked) != 0)) {
                names_.append(entry->d_name, item.nameLength + 1U);
                entries_.push_back(item);
            }
        }
    }

    // The walk's entries are made in their block at once, names copied in one piece (as drive
    // names; the host names stay for lstat), and examined in place: no entry is copied twice.
    Result result{packEntries(entries_.size(), names_.size()), 0, error};
    char* const names = result.packed.names;
    std::copy(names_.begin(), names_.end(), names);
    // Hardly any name holds a backslash: one look through them all costs less than rewriting each.
    if (std::memchr(names_.data(), kHostNameBackslash, names_.size()) != nullptr) {
        std::replace(names, names + names_.size(), kHostNameBackslash, kDriveNameSeparator);
    }
    WalkEntry* const packed = result.packed.entries;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        const ReadEntry& entry = entries_[i];
        new (packed + i) WalkEntry{std::string_view{names + entry.nameOffset, entry.nameLength},
                                   EntryFigures{.attributes = entry.attributes}};
    }

    EntryExamination examination{fd, device, names_.data(), entries_, {packed, entries_.size()}};
    const bool shared = helpers != nullptr && entries_.size() >= kShareFrom && helpers->share(examination);
    examination.takePart();
    if (shared) {
        helpers->unshare(examination);
    }
    if (result.error == 0) {
        result.error = examination.error();
    }

    // What vanished, or proved hidden or special once examined, leaves the block; nearly always
    // nothing does, and nothing moves.
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (!packed[i].name.empty() && (packed[i].figures.attributes & kNotWalked) == 0) {
            if (result.count != i) {
                packed[result.count] = packed[i];
            }
            ++result.count;
        }
    }
    return result;
}

}  // namespace mezu::posix
