#include "platform/win32/win32_report_file_reader.h"

#include <windows.h>

#include "platform/win32/wide_text.h"

namespace mezu::win32 {
namespace {

constexpr UINT kShiftJisCodePage = 932;
// A report is a few lines per directory; a file far larger is no report.
constexpr LONGLONG kLargestReport = 256 * 1024 * 1024;

// The text of `bytes` in `codePage` as UTF-8, or nullopt when they are not valid in it.
std::optional<std::string> decoded(const std::string& bytes, UINT codePage)
{
    if (bytes.empty()) {
        return std::string{};
    }
    const int size = static_cast<int>(bytes.size());
    const int needed = ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
    if (needed <= 0) {
        return std::nullopt;
    }
    std::wstring wide(static_cast<std::size_t>(needed), L'\0');
    ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), size, wide.data(), needed);
    return toUtf8(wide);
}

}  // namespace

std::optional<std::string> Win32ReportFileReader::readReport(const std::string& path, std::string& error)
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
    LARGE_INTEGER size{};
    std::string bytes;
    bool read = ::GetFileSizeEx(file, &size) != 0;
    if (read && size.QuadPart > kLargestReport) {
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
    if (std::optional<std::string> text = decoded(bytes, CP_UTF8)) {
        return text;
    }
    std::optional<std::string> text = decoded(bytes, kShiftJisCodePage);
    if (!text) {
        error = "neither UTF-8 nor Shift_JIS text";
    }
    return text;
}

}  // namespace mezu::win32
