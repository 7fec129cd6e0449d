// SPDX-License-Identifier: MIT
// The drive table: which host directory is the root of each drive letter. By default C: is the
// file system mounted at "/" and D: to Z: the other mounted file systems that hold user files,
// in order of mount point; tests and --drive replace it with explicit roots. A file system that
// has no letter is given one for the rest of the process when a directory on it is asked for.
//
// One table is shared by the file system and the drive query of a process, so that both know
// a letter given for the run. Lookups may run on any thread while a letter is given: a root
// once given never changes or goes, so what `root` returned stays valid.
#pragma once

#include <array>
#include <atomic>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace mezu::posix {

struct DriveMapping {
    char letter = '\0';  // upper case
    std::string root;    // absolute host path, without a trailing "/" except for "/" itself
};

// A host path located on a drive: the drive and the path's components below its root.
struct DriveLocation {
    char letter = '\0';
    std::vector<std::string> components;
};

class DriveTable {
public:
    DriveTable() = default;
    // Letters in either case; a later mapping of a letter replaces an earlier one, and what is
    // no letter A to Z is left out.
    explicit DriveTable(const std::vector<DriveMapping>& mappings);
    DriveTable(const DriveTable& other);
    DriveTable& operator=(const DriveTable& other);
    ~DriveTable() = default;

    // The drives in order of letter.
    std::vector<DriveMapping> mappings() const;
    // The root of a drive (letter in either case), or nullptr.
    const std::string* root(char letter) const;
    // The drive whose root is the longest prefix of an absolute, normalised host path.
    std::optional<DriveLocation> locate(std::string_view hostPath) const;

    // Gives the top directory of a file system that has no letter (as a normalised host path) a
    // letter for the rest of the process, or finds the one given to it before: A:, then B:
    // (which the all-drives commands never visit, so no file system is counted twice there and
    // their reports do not depend on what was asked for before), then the first free of C: to
    // Z:. nullopt when every letter is taken.
    std::optional<char> addRunLetter(const std::string& root);

private:
    static constexpr std::size_t kLetters = 26;
    struct Slot {
        std::atomic<bool> given{false};
        std::string root;  // written once, before `given`
    };

    std::array<Slot, kLetters> slots_;
    std::mutex adding_;  // one letter is given at a time
};

// Whether a host path is a directory (following links).
bool isDirectoryOnHost(const std::string& path);

// The default table built from the text of /proc/self/mountinfo (see mount_table.h for which
// mounts hold user files). One letter per file system: a mount covered by a later one, a
// second mount of a file system and a bind mount of a directory of a file system that has a
// letter get none; a file system mounted only in parts gets a letter at each bind mount that
// shows a directory no other letter shows, in part or whole. A mount point below a hidden name (an AppImage's,
// openSUSE's /.snapshots), or one that `isDirectory` rejects (a file mount), gets no letter.
DriveTable driveTableFromMountInfo(std::string_view mountInfo,
                                   const std::function<bool(const std::string&)>& isDirectory);
// A table of explicit roots, each made absolute and free of links. Fails, naming the root and
// the reason, when a root is not a directory; a later mapping of a letter replaces an earlier.
std::variant<DriveTable, std::string> driveTableFromRoots(const std::vector<DriveMapping>& roots);

// The default table of this machine.
DriveTable defaultDriveTable();

}  // namespace mezu::posix
