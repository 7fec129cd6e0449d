// SPDX-License-Identifier: MIT
#include "platform/win32/win32_tree_walk.h"

#include <windows.h>

#include "model/path_text.h"

namespace mezu::win32 {

std::optional<FileIdentity> Win32TreeWalk::linkedFile(Directory& directory, std::size_t index)
{
    const std::string_view name = walk_.listing(directory).entries[index].name;
    const std::wstring path = roots_.systemPath(childPath(walk_.drivePath(directory), name));
    if (path.empty()) {
        return std::nullopt;
    }
    // The name itself, never what a link of it leads to; no access to the content, so that a
    // file others hold open, or that may not be read, still answers.
    const HANDLE file =
        ::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return std::nullopt;
    }
    BY_HANDLE_FILE_INFORMATION information{};
    const bool read = ::GetFileInformationByHandle(file, &information) != 0;
    ::CloseHandle(file);
    if (!read || information.nNumberOfLinks <= 1) {
        return std::nullopt;
    }
    return FileIdentity{information.dwVolumeSerialNumber,
                        (static_cast<std::uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow};
}

}  // namespace mezu::win32
