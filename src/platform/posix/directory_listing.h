// One read of a directory: every entry but "." and "..", with its attributes, length and
// allocation from lstat, in the order the directory lists them. A listing and its names live in
// the arena of the thread that read it, packed (24 bytes an entry plus its name), and stay valid as long as
// that arena; names are drive names ("\" shown as "/"), each followed by a NUL.
//
// A read may leave entries unexamined: hidden ones, which a walk neither counts nor enters, and
// subdirectories, whose own reads open them and fstat the descriptor anyway (one name lookup
// fewer each). Such an entry says only what the directory itself tells of it: hidden by its
// name, and a directory, a regular file or anything else by its type. ListingCache, which asks
// for that, examines them when their figures are wanted.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_attributes.h"
#include "platform/posix/listing_arena.h"

namespace mezu::posix {

struct DirectoryListing {
    struct Entry {
        std::uint32_t nameOffset = 0;
        std::uint16_t nameLength = 0;  // names are at most 255 bytes on every POSIX file system
        std::uint16_t attributes = 0;
        std::uint64_t length = 0;
        std::uint64_t allocated = 0;  // bytes the file system reports as allocated
    };

    static constexpr std::size_t kNotFound = static_cast<std::size_t>(-1);
    // Set in an entry's stored attributes when it was not examined; never part of what
    // attributes() returns.
    static constexpr std::uint16_t kNotExamined = 0x8000;

    bool opened = false;    // false: the directory could not be opened; no entries
    bool readable = false;  // false: it could not be read (or opened); no entries
    std::uint64_t device = 0;  // of the directory itself, when readable
    std::size_t count = 0;
    const Entry* entries = nullptr;
    const char* names = nullptr;
    // The errno of what went wrong: the open, the read, or the lstat of an entry, which is then
    // missing from the listing. 0 when the directory was read whole.
    int error = 0;

    std::string_view name(std::size_t index) const
    {
        return {names + entries[index].nameOffset, entries[index].nameLength};
    }
    // For an entry not examined, what the directory tells: hidden, directory and system bits.
    FileAttributes attributes(std::size_t index) const
    {
        return entries[index].attributes & ~FileAttributes{kNotExamined};
    }
    bool examined(std::size_t index) const { return (entries[index].attributes & kNotExamined) == 0; }
    // The index of the entry with this drive name, searching from `hint` on; kNotFound if none.
    std::size_t find(std::string_view driveName, std::size_t hint) const;
};

// The lstat of every entry a directory read listed, in chunks that any number of threads may
// take in turn, so that a large directory need not wait for one thread to examine it all.
class EntryExamination {
public:
    // `entries` have their names set (in `names`, host names); their attributes and lengths
    // are filled in. An entry that vanished before it was examined gets a zero name length.
    EntryExamination(int fd, std::uint64_t device, const char* names,
                     std::vector<DirectoryListing::Entry>& entries);

    // Examines chunks until none is left to take; returns when the last one is taken, which
    // another thread may still be examining.
    void takePart();
    // The errno of an entry that exists but could not be examined; 0 if there was none.
    int error() const { return error_.load(std::memory_order_relaxed); }

private:
    static constexpr std::size_t kChunk = 256;

    int fd_;
    std::uint64_t device_;
    const char* names_;
    std::vector<DirectoryListing::Entry>& entries_;
    std::atomic<std::size_t> nextChunk_{0};
    std::atomic<int> error_{0};
};

// Threads that can lend a hand with a large examination.
class ExaminationHelpers {
public:
    virtual ~ExaminationHelpers() = default;
    // Offers `examination` to idle threads; false when they are busy with another.
    virtual bool share(EntryExamination& examination) = 0;
    // Returns when no other thread works on the shared examination any more.
    virtual void unshare(EntryExamination& examination) = 0;
};

// Reads directories for one thread. The listings it returns are its own and stay valid as long
// as it does.
class DirectoryReader {
public:
    // Directories with at least this many entries are shared with helpers.
    static constexpr std::size_t kShareFrom = 1024;

    DirectoryReader();

    // Reads the directory open (for reading) at `fd`, which is on `device` if the caller knows
    // it, sharing the examination of a large one with `helpers` if given. An entry that
    // vanishes between being listed and being examined is left out. What was read before a
    // failing read stands, and the listing keeps the error. An entry whose type the directory
    // does not tell is always examined.
    enum class Examine {
        EveryEntry,
        AllButHidden,                   // hidden entries are not examined
        AllButHiddenAndSubdirectories,  // nor are subdirectories
    };
    const DirectoryListing* read(int fd, std::optional<std::uint64_t> device,
                                 ExaminationHelpers* helpers = nullptr, Examine examine = Examine::EveryEntry);
    // The listing of a directory that can be opened but not read (`opened`), or not even
    // opened, for the errno that says why.
    const DirectoryListing* failed(bool opened, int error);

private:
    static constexpr std::size_t kBufferBytes = 64 * 1024;

    ListingArena arena_;
    // Gathered while one directory is read, then copied into the arena at its exact size; the
    // capacity is reused from one directory to the next.
    std::unique_ptr<char[]> buffer_;
    std::vector<DirectoryListing::Entry> entries_;
    std::string names_;
};

}  // namespace mezu::posix
