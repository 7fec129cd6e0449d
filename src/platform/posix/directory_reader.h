// SPDX-License-Identifier: MIT
// One read of a directory for a walk: every entry's name, then the lstat of each that the walk
// needs examined, in the order the directory lists them; what the walk may use (files and
// directories that are neither hidden nor system) packed into one block.
//
// A read may leave entries unexamined: hidden ones, which a walk neither counts nor enters, and
// subdirectories, whose own reads open them and fstat the descriptor anyway (one name lookup
// fewer each). Such an entry says only what the directory tells of it: hidden by its name, a
// directory, a regular file or anything else by its type.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/directory_source.h"
#include "platform/file_attributes.h"

namespace mezu::posix {

// An entry as a read gathers it: its host name in the read's names, and its attributes when the
// directory alone tells them.
struct ReadEntry {
    std::uint32_t nameOffset = 0;
    std::uint16_t nameLength = 0;  // names are at most 255 bytes on every POSIX file system
    bool examined = false;         // `attributes` are known, and the entry needs no lstat
    FileAttributes attributes = kAttrNormal;
};

// The lstat of every entry a read listed that is to be examined, in chunks that any number of
// threads may take in turn, so that a large directory need not wait for one thread to examine it
// all. Each entry's figures go to the walk entry at its index, made beforehand with its name; an
// entry that vanished before it was examined gets an empty name there.
class EntryExamination final : public SharedTask {
public:
    // Borrows the names and both lists for its life; reads the directory open at `fd`.
    EntryExamination(int fd, std::uint64_t device, const char* names, std::span<const ReadEntry> entries,
                     std::span<WalkEntry> examined);

    void takePart() override;
    // The errno of an entry that exists but could not be examined; 0 if there was none.
    int error() const { return error_.load(std::memory_order_relaxed); }

private:
    static constexpr std::size_t kChunk = 256;

    int fd_;
    std::uint64_t device_;
    const char* names_;
    std::span<const ReadEntry> entries_;
    std::span<WalkEntry> examined_;
    std::atomic<std::size_t> nextChunk_{0};
    std::atomic<int> error_{0};
};

// Reads directories for one thread, reusing its buffers from one directory to the next.
class DirectoryReader {
public:
    // Directories with at least this many entries are shared with helpers.
    static constexpr std::size_t kShareFrom = 1024;

    enum class Examine {
        EveryEntry,
        AllButHidden,                   // hidden entries are not examined
        AllButHiddenAndSubdirectories,  // nor are subdirectories
    };

    struct Result {
        PackedEntries packed;  // the entries a walk may use, names as drive names
        std::size_t count = 0;
        int error = 0;  // of the read, or of an entry that could not be examined; 0 when whole
    };

    DirectoryReader();

    // Reads the directory open (for reading) at `fd`, which is on `device`, sharing the
    // examination of a large one with `helpers` if given. An entry that vanishes between being
    // listed and being examined is left out; an entry whose type the directory does not tell is
    // always examined. What was read before a failing read stands, and the result keeps the
    // error.
    Result read(int fd, std::uint64_t device, TaskSharing* helpers, Examine examine);

private:
    // Small, as up to 64 reads may be in flight at once: a few names a call cost little.
    static constexpr std::size_t kBufferBytes = std::size_t{4} * 1024;

    std::unique_ptr<char[]> buffer_;
    std::vector<ReadEntry> entries_;
    std::string names_;
};

}  // namespace mezu::posix
