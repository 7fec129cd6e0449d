// SPDX-License-Identifier: MIT
#include "platform/win32/win32_report_file_reader.h"

#include <windows.h>

#include "platform/win32/wide_text.h"

namespace mezu::win32 {

std::optional<std::string> Win32ReportFileReader::readReportBytes(const std::string& path, std::string& error)
{
    const std::wstring full = fullPath(toWide(path));
    if (full.empty()) {
        error = systemErrorText(::GetLastError());
        return std::nullopt;
    }
    const std::wstring name = isDevicePath(full) ? full : extendedPath(full);
    const HANDLE file = ::CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = systemErrorText(::GetLastError());
        return std::nullopt;
    }
    if (::GetFileType(file) != FILE_TYPE_DISK) {
        ::CloseHandle(file);
        error = "not a regular file";
        return std::nullopt;
    }
    LARGE_INTEGER size{};
    std::string bytes;
    bool read = ::GetFileSizeEx(file, &size) != 0;
    if (read && static_cast<unsigned long long>(size.QuadPart) > kLargestReportFile) {
        ::CloseHandle(file);
        error = "too large to be a report";
        return std::nullopt;
    }
    if (read) {
        bytes.resize(static_cast<std::size_t>(size.QuadPart));
        DWORD got = 0;
        read = bytes.empty() || ::ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) != 0;
        bytes.resize(got);
    }
    const DWORD readError = ::GetLastError();
    ::CloseHandle(file);
    if (!read) {
        error = systemErrorText(readError);
        return std::nullopt;
    }
    return bytes;
}

}  // namespace mezu::win32
