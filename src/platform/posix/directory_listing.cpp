#include "platform/posix/directory_listing.h"

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

static_assert((kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrDirectory | kAttrArchive) <
                  DirectoryListing::kNotExamined,
              "attributes are stored in 16 bits, below the mark of an entry not examined");

bool isDotOrDotDot(const char* name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// The stored attributes of an entry left unexamined, from its name and type; 0 for one to examine.
std::uint16_t unexamined(const dirent64& entry, DirectoryReader::Examine examine)
{
    using Examine = DirectoryReader::Examine;
    if (examine == Examine::EveryEntry || entry.d_type == DT_UNKNOWN) {
        return 0;
    }
    const bool hidden = entry.d_name[0] == '.';
    if (!hidden && (examine != Examine::AllButHiddenAndSubdirectories || entry.d_type != DT_DIR)) {
        return 0;
    }
    const FileAttributes type = entry.d_type == DT_DIR ? kAttrDirectory : entry.d_type == DT_REG ? kAttrNormal : kAttrSystem;
    return static_cast<std::uint16_t>(DirectoryListing::kNotExamined | type | (hidden ? kAttrHidden : kAttrNormal));
}

}  // namespace

std::size_t DirectoryListing::find(std::string_view driveName, std::size_t hint) const
{
    // From the hint on, wrapping round: a walk asks for the entries in the order they are listed.
    const std::size_t start = hint < count ? hint : 0;
    for (std::size_t i = start; i < count; ++i) {
        if (name(i) == driveName) {
            return i;
        }
    }
    for (std::size_t i = 0; i < start; ++i) {
        if (name(i) == driveName) {
            return i;
        }
    }
    return kNotFound;
}

DirectoryReader::DirectoryReader() : buffer_(std::make_unique_for_overwrite<char[]>(kBufferBytes)) {}

const DirectoryListing* DirectoryReader::failed(bool opened, int error)
{
    DirectoryListing* listing = arena_.create<DirectoryListing>();
    listing->opened = opened;
    listing->error = error;
    return listing;
}

EntryExamination::EntryExamination(int fd, std::uint64_t device, const char* names,
                                   std::vector<DirectoryListing::Entry>& entries)
    : fd_(fd), device_(device), names_(names), entries_(entries)
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
            DirectoryListing::Entry& entry = entries_[i];
            if ((entry.attributes & DirectoryListing::kNotExamined) != 0) {
                continue;
            }
            const char* name = names_ + entry.nameOffset;
            struct stat status {};
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
            const EntryFigures figures = figuresFromStatus(name, status, static_cast<dev_t>(device_));
            entry.attributes = static_cast<std::uint16_t>(figures.attributes);
            entry.length = figures.length;
            entry.allocated = figures.allocated;
        }
    }
}

const DirectoryListing* DirectoryReader::read(int fd, std::optional<std::uint64_t> device,
                                              ExaminationHelpers* helpers, Examine examine)
{
    if (!device) {
        struct stat directory {};
        if (::fstat(fd, &directory) != 0) {
            return failed(true, errno);
        }
        device = directory.st_dev;
    }
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
            DirectoryListing::Entry item;
            item.nameOffset = static_cast<std::uint32_t>(names_.size());
            item.nameLength = static_cast<std::uint16_t>(std::strlen(entry->d_name));
            item.attributes = unexamined(*entry, examine);
            names_.append(entry->d_name, item.nameLength + 1U);
            entries_.push_back(item);
        }
    }

    EntryExamination examination{fd, *device, names_.data(), entries_};
    const bool shared = helpers != nullptr && entries_.size() >= kShareFrom && helpers->share(examination);
    examination.takePart();
    if (shared) {
        helpers->unshare(examination);
    }
    std::erase_if(entries_, [](const DirectoryListing::Entry& entry) { return entry.nameLength == 0; });

    for (char& c : names_) {
        if (c == kHostNameBackslash) {
            c = kDriveNameSeparator;
        }
    }
    return arena_.create<DirectoryListing>(true, true, *device, entries_.size(),
                                           arena_.copy(entries_.data(), entries_.size()),
                                           arena_.copy(names_.data(), names_.size()),
                                           error != 0 ? error : examination.error());
}

}  // namespace mezu::posix
