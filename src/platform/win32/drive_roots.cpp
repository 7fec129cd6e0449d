// SPDX-License-Identifier: MIT
#include "platform/win32/drive_roots.h"

#include <windows.h>

#include <algorithm>

#include "model/drive_path.h"
#include "platform/win32/wide_text.h"

namespace mezu::win32 {
namespace {

bool hasDriveLetter(const std::wstring& path)
{
    return path.size() >= 2 && path[1] == L':' && path[0] < 0x80 && isDriveLetter(static_cast<char>(path[0]));
}

// Whether `path` is `root` or lies below it, letters compared as the file system does.
bool holds(const std::wstring& root, const std::wstring& path)
{
    if (path.size() < root.size() || ::CompareStringOrdinal(root.data(), static_cast<int>(root.size()), path.data(),
                                                            static_cast<int>(root.size()), TRUE) != CSTR_EQUAL) {
        return false;
    }
    return path.size() == root.size() || path[root.size()] == L'\\';
}

}  // namespace

DriveRoots::DriveRoots(std::vector<DriveRoot> roots)
    : roots_(std::move(roots))
{
    std::sort(roots_.begin(), roots_.end(), [](const DriveRoot& a, const DriveRoot& b) { return a.letter < b.letter; });
}

DriveRoots DriveRoots::systemDrives()
{
    const DWORD present = ::GetLogicalDrives();
    std::vector<DriveRoot> roots;
    for (char letter = kFirstSurveyedDrive; letter <= kLastDriveLetter; ++letter) {
        if ((present >> (letter - kFirstDriveLetter)) & 1U) {
            roots.push_back({letter, std::wstring{static_cast<wchar_t>(letter), L':'}});
        }
    }
    return DriveRoots{std::move(roots)};
}

std::variant<DriveRoots, std::string> DriveRoots::fromDirectories(
    const std::vector<std::pair<char, std::string>>& given)
{
    std::vector<DriveRoot> roots;
    for (const auto& [letter, directory] : given) {
        std::wstring root = fullPath(toWide(directory));
        while (root.size() > 2 && root.back() == L'\\') {
            root.pop_back();
        }
        const DWORD attributes =
            root.empty() ? INVALID_FILE_ATTRIBUTES : ::GetFileAttributesW(extendedPath(root + L'\\').c_str());
        if (!hasDriveLetter(root) || attributes == INVALID_FILE_ATTRIBUTES ||
            (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            return directory + ": not a directory on a drive";
        }
        roots.push_back({asciiUpper(letter), std::move(root)});
    }
    return DriveRoots{std::move(roots)};
}

std::vector<char> DriveRoots::letters() const
{
    std::vector<char> letters;
    for (const DriveRoot& root : roots_) {
        letters.push_back(root.letter);
    }
    return letters;
}

const std::wstring* DriveRoots::root(char letter) const
{
    const char drive = asciiUpper(letter);
    for (const DriveRoot& root : roots_) {
        if (root.letter == drive) {
            return &root.root;
        }
    }
    return nullptr;
}

std::wstring DriveRoots::systemPath(const std::string& canonicalDrivePath) const
{
    const std::wstring* base = canonicalDrivePath.size() >= 3 ? root(canonicalDrivePath[0]) : nullptr;
    if (base == nullptr) {
        return {};
    }
    return extendedPath(*base + toWide(std::string_view{canonicalDrivePath}.substr(2)));
}

std::optional<std::string> DriveRoots::locate(const std::wstring& absolute) const
{
    const DriveRoot* best = nullptr;
    for (const DriveRoot& root : roots_) {
        if (holds(root.root, absolute) && (best == nullptr || root.root.size() > best->root.size())) {
            best = &root;
        }
    }
    if (best == nullptr) {
        return std::nullopt;
    }
    const std::wstring rest = absolute.substr(best->root.size());
    return std::string{best->letter, ':'} + (rest.empty() ? std::string{kPathSeparator} : toUtf8(rest));
}

}  // namespace mezu::win32
