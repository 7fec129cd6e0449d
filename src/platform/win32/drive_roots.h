// SPDX-License-Identifier: MIT
// Which system directory each drive letter stands for: by default every drive of the system
// from C: to Z: as itself; with --drive (and in tests) a letter may stand for any directory,
// as the POSIX drive table does. Paths here are UTF-16 in ordinary form ("C:\a", no "\\?\").
#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace mezu::win32 {

struct DriveRoot {
    char letter = '\0';  // upper case, C to Z
    std::wstring root;   // without a trailing "\": "C:" for the drive itself, "C:\data" for a directory
};

class DriveRoots {
public:
    DriveRoots() = default;
    explicit DriveRoots(std::vector<DriveRoot> roots);

    // The drives the system reports (GetLogicalDrives), each as itself.
    static DriveRoots systemDrives();
    // Letters standing for the given directories (any path form, relative or absolute), which
    // must exist and lie on a drive; an error text otherwise.
    static std::variant<DriveRoots, std::string> fromDirectories(
        const std::vector<std::pair<char, std::string>>& given);

    std::vector<char> letters() const;
    // The system directory of a letter (either case); nullptr for a letter without a drive.
    const std::wstring* root(char letter) const;
    // The system path of a canonical drive path ("X:\" or "X:\a\b"); empty for an unknown drive.
    std::wstring systemPath(const std::string& canonicalDrivePath) const;
    // The canonical drive path (UTF-8) of an absolute system path, under the drive whose root
    // holds it most closely; nullopt when no drive holds it.
    std::optional<std::string> locate(const std::wstring& absolute) const;

private:
    std::vector<DriveRoot> roots_;  // in letter order
};

}  // namespace mezu::win32
