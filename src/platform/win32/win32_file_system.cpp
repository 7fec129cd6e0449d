// SPDX-License-Identifier: MIT
#include "platform/win32/win32_file_system.h"

#include <windows.h>

#include <algorithm>

#include "model/drive_path.h"
#include "model/path_text.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/win32_tree_walk.h"

namespace mezu::win32 {
namespace {

// A user's "/" between names, read as the system reads it.
std::string withBackslashes(std::string path)
{
    std::replace(path.begin(), path.end(), '/', kPathSeparator);
    return path;
}

// The drive path in the form the walk builds; nullopt for what is none, which includes a path
// with a "." or ".." name (the extended form would take them literally).
std::optional<std::string> canonicalDrivePath(const std::string& drivePath)
{
    const std::variant<DrivePath, std::string> parsed = parseDrivePath(withBackslashes(drivePath));
    const DrivePath* path = std::get_if<DrivePath>(&parsed);
    return path != nullptr ? std::optional{path->text()} : std::nullopt;
}

// The core's attribute bits of a system entry: a reparse-point directory is a system entry the
// walk does not enter.
FileAttributes fromSystemAttributes(DWORD attributes)
{
    constexpr DWORD kKept = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                            FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_ARCHIVE;
    FileAttributes result = attributes & kKept;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        result = (result & ~kAttrDirectory) | kAttrSystem;
    }
    return result;
}

std::uint64_t lengthOf(DWORD high, DWORD low)
{
    return (static_cast<std::uint64_t>(high) << 32) | low;
}

// Whether a reparse-point directory leads to itself: a file system mounted there (Wine shows
// every mount point below a drive so), which may be surveyed in place, as a drive root is.
bool isMountedInPlace(const std::wstring& path)
{
    const std::wstring target = finalPath(path);
    return !target.empty() &&
           ::CompareStringOrdinal(target.c_str(), -1, ordinaryPath(path).c_str(), -1, TRUE) == CSTR_EQUAL;
}

// Whether the system path names a directory that may be entered and walked from.
bool isEnterableDirectory(const std::wstring& path)
{
    const DWORD attributes = path.empty() ? INVALID_FILE_ATTRIBUTES : ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        return false;
    }
    return (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0 || isMountedInPlace(path);
}

bool isValidName(const std::string& name)
{
    return !name.empty() && name != "." && name != ".." && name.find_first_of("\\/") == std::string::npos;
}

class Win32Enumeration final : public DirectoryEnumeration {
public:
    // Takes over an open find handle whose first entry is in `data`.
    Win32Enumeration(HANDLE handle, const WIN32_FIND_DATAW& data, FileAttributes mask, std::string directory,
                     const std::wstring& systemDirectory, std::shared_ptr<FoundEntry> found)
        : handle_(handle),
          data_(data),
          mask_(mask),
          directory_(std::move(directory)),
          allocations_(std::make_shared<DirectoryAllocations>(systemDirectory)),
          found_(std::move(found))
    {
    }
    ~Win32Enumeration() override
    {
        if (handle_ != INVALID_HANDLE_VALUE) {
            ::FindClose(handle_);
        }
    }
    Win32Enumeration(const Win32Enumeration&) = delete;
    Win32Enumeration& operator=(const Win32Enumeration&) = delete;

    std::string next() override
    {
        while (handle_ != INVALID_HANDLE_VALUE) {
            if (!pending_ && !::FindNextFileW(handle_, &data_)) {
                ::FindClose(handle_);
                handle_ = INVALID_HANDLE_VALUE;
                break;
            }
            pending_ = false;
            const std::wstring_view wideName{data_.cFileName};
            if (wideName == L"." || wideName == L"..") {
                continue;
            }
            const FileAttributes attributes = fromSystemAttributes(data_.dwFileAttributes);
            if (!passesMask(attributes, mask_)) {
                continue;
            }
            std::string name = toUtf8(wideName);
            lastWasDirectory_ = isDirectory(attributes);
            *found_ = FoundEntry{directory_, name, attributes, lengthOf(data_.nFileSizeHigh, data_.nFileSizeLow),
                                 allocations_};
            return name;
        }
        return {};
    }

    bool lastWasDirectory() const { return lastWasDirectory_; }

private:
    HANDLE handle_;
    WIN32_FIND_DATAW data_;
    bool pending_ = true;
    bool lastWasDirectory_ = false;
    FileAttributes mask_;
    std::string directory_;
    std::shared_ptr<DirectoryAllocations> allocations_;
    std::shared_ptr<FoundEntry> found_;
};

// Starts enumerating a directory; nullptr when it cannot be read. An empty drive root, which
// has no "." or "..", gives an enumeration that ends at once.
std::unique_ptr<Win32Enumeration> enumerate(const std::wstring& systemDirectory, const std::string& directory,
                                            FileAttributes mask, std::shared_ptr<FoundEntry> found)
{
    if (systemDirectory.empty()) {
        return nullptr;
    }
    const std::wstring pattern = systemDirectory + (systemDirectory.back() == L'\\' ? L"*" : L"\\*");
    WIN32_FIND_DATAW data{};
    const HANDLE handle = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr,
                                             FIND_FIRST_EX_LARGE_FETCH);
    if (handle == INVALID_HANDLE_VALUE && ::GetLastError() != ERROR_FILE_NOT_FOUND) {
        return nullptr;
    }
    return std::make_unique<Win32Enumeration>(handle, data, mask, directory, systemDirectory, std::move(found));
}

}  // namespace

Win32FileSystem::Win32FileSystem(DriveRoots roots, unsigned readerThreads)
    : roots_(std::move(roots)),
      readerThreads_(readerThreads)
{
    const std::vector<char> letters = drives();
    if (letters.empty()) {
        return;
    }
    currentDrive_ = letters.front();
    const DWORD needed = ::GetCurrentDirectoryW(0, nullptr);
    std::wstring working(needed, L'\0');
    const DWORD length = ::GetCurrentDirectoryW(needed, working.data());
    working.resize(length < needed ? length : 0);
    const std::optional<std::string> located = roots_.locate(ordinaryPath(working));
    const std::optional<std::string> start = located ? canonicalDrivePath(*located) : std::nullopt;
    if (start && isEnterableDirectory(roots_.systemPath(*start))) {
        currentDrive_ = start->front();
        currentDirectories_[currentDrive_] = *start;
    }
}

std::vector<char> Win32FileSystem::drives() const
{
    return roots_.letters();
}

bool Win32FileSystem::driveExists(char letter) const
{
    return roots_.root(letter) != nullptr;
}

bool Win32FileSystem::isEnterable(const std::string& canonical) const
{
    return isEnterableDirectory(roots_.systemPath(canonical));
}

std::optional<std::string> Win32FileSystem::currentDirectory(char letter) const
{
    const char drive = asciiUpper(letter);
    if (!driveExists(drive)) {
        return std::nullopt;
    }
    const auto found = currentDirectories_.find(drive);
    return found == currentDirectories_.end() ? driveRoot(drive) : found->second;
}

bool Win32FileSystem::failed()
{
    const DWORD code = ::GetLastError();
    lastError_ = code != ERROR_SUCCESS ? systemErrorText(code) : systemErrorText(ERROR_PATH_NOT_FOUND);
    return false;
}

bool Win32FileSystem::changeDrive(char letter)
{
    const char drive = asciiUpper(letter);
    if (!driveExists(drive)) {
        ::SetLastError(ERROR_INVALID_DRIVE);
        return failed();
    }
    const std::string root = driveRoot(drive);
    const auto found = currentDirectories_.find(drive);
    if (found != currentDirectories_.end() && isEnterable(found->second)) {
        currentDrive_ = drive;
        return true;
    }
    // A drive without a medium has no usable root; the drive's current directory may have gone.
    if (!isEnterable(root)) {
        return failed();
    }
    currentDirectories_[drive] = root;
    currentDrive_ = drive;
    return true;
}

bool Win32FileSystem::changeDirectory(const std::string& drivePath)
{
    std::optional<std::string> canonical = canonicalDrivePath(drivePath);
    ::SetLastError(ERROR_SUCCESS);
    if (!canonical || !driveExists(canonical->front()) || !isEnterable(*canonical)) {
        return failed();
    }
    const char drive = canonical->front();
    currentDirectories_[drive] = std::move(*canonical);
    return true;
}

bool Win32FileSystem::directoryExists(const std::string& drivePath)
{
    const std::optional<std::string> canonical = canonicalDrivePath(drivePath);
    return canonical && driveExists(canonical->front()) && isEnterable(*canonical);
}

std::unique_ptr<DirectoryEnumeration> Win32FileSystem::startEnumeration(std::string_view pattern, FileAttributes mask)
{
    const std::optional<std::string> current = currentDirectory(currentDrive_);
    if ((pattern != kEveryName && pattern != "*") || !current) {
        return nullptr;
    }
    std::unique_ptr<Win32Enumeration> enumeration = enumerate(roots_.systemPath(*current), *current, mask, lastFound_);
    if (!enumeration) {
        failed();
    }
    return enumeration;
}

const FoundEntry* Win32FileSystem::foundInCurrent(const std::string& name) const
{
    const auto current = currentDirectories_.find(currentDrive_);
    const std::string root = driveRoot(currentDrive_);
    const std::string& directory = current == currentDirectories_.end() ? root : current->second;
    return lastFound_->name == name && lastFound_->directory == directory ? lastFound_.get() : nullptr;
}

std::optional<FileAttributes> Win32FileSystem::attributes(const std::string& name)
{
    if (const FoundEntry* found = foundInCurrent(name)) {
        return found->attributes;
    }
    const std::optional<std::string> current = currentDirectory(currentDrive_);
    if (!current || !isValidName(name)) {
        return std::nullopt;
    }
    const DWORD attributes = ::GetFileAttributesW(roots_.systemPath(childPath(*current, name)).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return std::nullopt;
    }
    return fromSystemAttributes(attributes);
}

std::optional<std::uint64_t> Win32FileSystem::fileLength(const std::string& name)
{
    if (const FoundEntry* found = foundInCurrent(name)) {
        return found->length;
    }
    const std::optional<std::string> current = currentDirectory(currentDrive_);
    if (!current || !isValidName(name)) {
        return std::nullopt;
    }
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(roots_.systemPath(childPath(*current, name)).c_str(), GetFileExInfoStandard, &data)) {
        return std::nullopt;
    }
    return lengthOf(data.nFileSizeHigh, data.nFileSizeLow);
}

std::optional<std::uint64_t> Win32FileSystem::allocatedBytes(const std::string& name)
{
    if (const FoundEntry* found = foundInCurrent(name); found != nullptr && found->allocations) {
        if (const std::optional<std::uint64_t> bytes = found->allocations->of(name)) {
            return bytes;
        }
    }
    const std::optional<std::string> current = currentDirectory(currentDrive_);
    if (!current || !isValidName(name)) {
        return std::nullopt;
    }
    // The allocation the file system keeps for the file: whole clusters, less for a sparse or
    // compressed file, nothing for a small file kept in its own record.
    const HANDLE file = ::CreateFileW(roots_.systemPath(childPath(*current, name)).c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    FILE_STANDARD_INFO info{};
    const bool read = ::GetFileInformationByHandleEx(file, FileStandardInfo, &info, sizeof info) != 0;
    ::CloseHandle(file);
    if (!read || info.AllocationSize.QuadPart < 0) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(info.AllocationSize.QuadPart);
}

std::vector<std::string> Win32FileSystem::subdirectoryNames(const std::string& drivePath)
{
    std::vector<std::string> names;
    const std::optional<std::string> canonical = canonicalDrivePath(drivePath);
    if (!canonical || !driveExists(canonical->front())) {
        return names;
    }
    // A record of its own: the walk's last entry stays as it was.
    const std::unique_ptr<Win32Enumeration> enumeration =
        enumerate(roots_.systemPath(*canonical), *canonical, kAttrDirectory, std::make_shared<FoundEntry>());
    if (!enumeration) {
        return names;
    }
    for (std::string name = enumeration->next(); !name.empty(); name = enumeration->next()) {
        if (enumeration->lastWasDirectory()) {
            names.push_back(std::move(name));
        }
    }
    return names;
}

std::optional<std::string> Win32FileSystem::hostPath(const std::string& drivePath) const
{
    const std::wstring* base = drivePath.size() >= 3 ? roots_.root(drivePath[0]) : nullptr;
    if (base == nullptr) {
        return std::nullopt;
    }
    // A drive's own root keeps its "\" ("C:\"); a directory's root goes without one.
    const std::string below = drivePath.substr(2);
    return toUtf8(*base) + (below == "\\" && base->size() > 2 ? std::string{} : below);
}

ResolvedDirectory Win32FileSystem::resolveDirectory(const std::string& userPath)
{
    if (userPath.empty()) {
        return {{}, "no directory given"};
    }
    // A drive path names the drive's directory even where the letter stands for another one.
    const bool drivePath = userPath.size() >= 2 && userPath[1] == ':' && driveExists(userPath[0]);
    std::optional<std::string> canonical;
    if (drivePath) {
        canonical = canonicalDrivePath(userPath);
        if (!canonical) {
            return {{}, "not a valid drive path: " + std::get<std::string>(parseDrivePath(withBackslashes(userPath)))};
        }
    } else {
        const std::wstring full = fullPath(toWide(userPath));
        if (full.empty()) {
            return {{}, systemErrorText(::GetLastError())};
        }
        const std::optional<std::string> located = roots_.locate(full);
        canonical = located ? canonicalDrivePath(*located) : std::nullopt;
        if (!canonical) {
            const bool onADriveLetter = full.size() >= 2 && full[1] == L':' && full[0] < 0x80;
            return {{},
                    onADriveLetter ? std::string{"there is no drive "} + asciiUpper(static_cast<char>(full[0])) + ":"
                                   : std::string{"not on any drive"}};
        }
    }
    const std::wstring system = roots_.systemPath(*canonical);
    const DWORD attributes = ::GetFileAttributesW(system.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return {{}, systemErrorText(::GetLastError())};
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        return {{}, "not a directory"};
    }
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 && !isMountedInPlace(system)) {
        // A junction or directory link named by the user is surveyed where it leads.
        const std::optional<std::string> located = roots_.locate(finalPath(system));
        canonical = located ? canonicalDrivePath(*located) : std::nullopt;
        if (!canonical || !isEnterable(*canonical)) {
            return {{}, "a link to a directory that is not on a drive"};
        }
    }
    return {std::move(*canonical), {}};
}

std::unique_ptr<TreeWalk> Win32FileSystem::walkTree(const std::string& drivePath)
{
    const std::optional<std::string> canonical = canonicalDrivePath(drivePath);
    if (!canonical || !driveExists((*canonical)[0])) {
        return FileSystem::walkTree(drivePath);
    }
    ScheduledTreeWalk::Options options;
    options.cores = coresOfThisMachine();
    options.mostThreads = readerThreads_ != 0 ? readerThreads_ : kMostReadingThreads;
    return std::make_unique<Win32TreeWalk>(roots_, *canonical, options);
}

}  // namespace mezu::win32
