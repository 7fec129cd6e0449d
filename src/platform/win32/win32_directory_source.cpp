// SPDX-License-Identifier: MIT
#include "platform/win32/win32_directory_source.h"

#include <windows.h>

#include <string>
#include <vector>

#include "platform/win32/wide_text.h"

namespace mezu::win32 {
namespace {

constexpr DWORD kBatchBytes = 64 * 1024;

// A subdirectory its parent listed that is not there as a directory any more.
bool hasGone(DWORD error)
{
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND || error == ERROR_DIRECTORY;
}

// What the walk keeps of an entry, from its record; false for one it leaves out.
bool walkedEntry(const FILE_FULL_DIR_INFO& record, FileAttributes& attributes)
{
    const DWORD system = record.FileAttributes;
    if ((system & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0) {
        return false;
    }
    const bool directory = (system & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (directory && (system & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        return false;
    }
    attributes = (directory ? kAttrDirectory : kAttrNormal) |
                 ((system & FILE_ATTRIBUTE_READONLY) != 0 ? kAttrReadOnly : 0) |
                 ((system & FILE_ATTRIBUTE_ARCHIVE) != 0 ? kAttrArchive : 0);
    return true;
}

std::uint64_t nonNegative(const LARGE_INTEGER& value)
{
    return value.QuadPart < 0 ? 0 : static_cast<std::uint64_t>(value.QuadPart);
}

// A file time (100 ns since 1601-01-01 UTC) in seconds since 1970-01-01 UTC.
std::int64_t unixSeconds(const LARGE_INTEGER& fileTime)
{
    constexpr std::int64_t kTicksPerSecond = 10'000'000;
    constexpr std::int64_t kSecondsFrom1601To1970 = 11'644'473'600;
    return fileTime.QuadPart / kTicksPerSecond - kSecondsFrom1601To1970;
}

}  // namespace

DirectorySource::Read Win32DirectorySource::read(const Request& request, TaskSharing&)
{
    Read read;
    TreeWalk::Listing& listing = read.listing;
    const std::wstring path = roots_.systemPath(request.path());
    const HANDLE directory = path.empty() ? INVALID_HANDLE_VALUE
                                          : ::CreateFileW(path.c_str(), FILE_LIST_DIRECTORY,
                                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                                          nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (directory == INVALID_HANDLE_VALUE) {
        const DWORD error = path.empty() ? ERROR_PATH_NOT_FOUND : ::GetLastError();
        // Only a subdirectory can have gone since its parent listed it; the top was never seen.
        listing.gone = !request.name.empty() && hasGone(error);
        listing.error = systemErrorText(error);
        return read;
    }
    listing.opened = true;
    struct Found {
        std::string name;
        EntryFigures figures;
    };
    std::vector<Found> found;
    std::size_t nameBytes = 0;
    // The records hold 64-bit figures: the buffer is aligned for them.
    std::vector<std::uint64_t> buffer(kBatchBytes / sizeof(std::uint64_t));
    FILE_INFO_BY_HANDLE_CLASS kind = FileFullDirectoryRestartInfo;
    DWORD error = ERROR_SUCCESS;
    bool readSome = false;
    while (::GetFileInformationByHandleEx(directory, kind, buffer.data(), kBatchBytes)) {
        readSome = true;
        kind = FileFullDirectoryInfo;
        const auto* records = reinterpret_cast<const unsigned char*>(buffer.data());
        for (std::size_t offset = 0;;) {
            const auto& record = *reinterpret_cast<const FILE_FULL_DIR_INFO*>(records + offset);
            const std::wstring_view name{record.FileName, record.FileNameLength / sizeof(WCHAR)};
            FileAttributes attributes = kAttrNormal;
            if (name != L"." && name != L".." && walkedEntry(record, attributes)) {
                Found entry{toUtf8(name),
                            {.attributes = attributes,
                             .length = nonNegative(record.EndOfFile),
                             .allocated = nonNegative(record.AllocationSize),
                             .modified = unixSeconds(record.LastWriteTime)}};
                nameBytes += entry.name.size();
                found.push_back(std::move(entry));
            }
            if (record.NextEntryOffset == 0) {
                break;
            }
            offset += record.NextEntryOffset;
        }
    }
    error = ::GetLastError();
    ::CloseHandle(directory);
    if (error != ERROR_NO_MORE_FILES && error != ERROR_SUCCESS) {
        listing.error = systemErrorText(error);
        if (!readSome) {
            return read;
        }
    }
    listing.readable = true;
    PackedEntries packed = packEntries(found.size(), nameBytes);
    char* names = packed.names;
    for (std::size_t i = 0; i < found.size(); ++i) {
        names = std::copy(found[i].name.begin(), found[i].name.end(), names);
        new (packed.entries + i)
            WalkEntry{std::string_view{names - found[i].name.size(), found[i].name.size()}, found[i].figures};
    }
    listing.entries = {packed.entries, found.size()};
    read.memory = std::move(packed.memory);
    read.bytes = packed.bytes;
    return read;
}

}  // namespace mezu::win32
