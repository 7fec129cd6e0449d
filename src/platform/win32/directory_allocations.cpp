// SPDX-License-Identifier: MIT
#include "platform/win32/directory_allocations.h"

#include <windows.h>

#include <vector>

#include "platform/win32/wide_text.h"

namespace mezu::win32 {

std::optional<std::uint64_t> DirectoryAllocations::of(const std::string& name)
{
    if (!read_) {
        read();
        read_ = true;
    }
    const auto found = bytes_.find(name);
    return found == bytes_.end() ? std::nullopt : std::optional{found->second};
}

void DirectoryAllocations::read()
{
    const HANDLE directory = ::CreateFileW(systemDirectory_.c_str(), FILE_LIST_DIRECTORY,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (directory == INVALID_HANDLE_VALUE) {
        return;
    }
    // The records hold 64-bit figures: the buffer is aligned for them.
    constexpr DWORD kBufferBytes = 64 * 1024;
    std::vector<std::uint64_t> buffer(kBufferBytes / sizeof(std::uint64_t));
    FILE_INFO_BY_HANDLE_CLASS kind = FileFullDirectoryRestartInfo;
    while (::GetFileInformationByHandleEx(directory, kind, buffer.data(), kBufferBytes)) {
        kind = FileFullDirectoryInfo;
        const auto* records = reinterpret_cast<const unsigned char*>(buffer.data());
        for (std::size_t offset = 0;;) {
            const auto* entry = reinterpret_cast<const FILE_FULL_DIR_INFO*>(records + offset);
            const std::wstring_view name{entry->FileName, entry->FileNameLength / sizeof(WCHAR)};
            if (entry->AllocationSize.QuadPart >= 0) {
                bytes_[toUtf8(name)] = static_cast<std::uint64_t>(entry->AllocationSize.QuadPart);
            }
            if (entry->NextEntryOffset == 0) {
                break;
            }
            offset += entry->NextEntryOffset;
        }
    }
    ::CloseHandle(directory);
}

}  // namespace mezu::win32
