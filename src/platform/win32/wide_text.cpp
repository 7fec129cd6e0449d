// SPDX-License-Identifier: MIT
#include "platform/win32/wide_text.h"

#include <windows.h>

#include <climits>

namespace mezu::win32 {
namespace {

constexpr std::wstring_view kExtendedPrefix = L"\\\\?\\";
constexpr std::wstring_view kExtendedUncPrefix = L"\\\\?\\UNC\\";

int clampedLength(std::size_t size)
{
    return size > static_cast<std::size_t>(INT_MAX) ? INT_MAX : static_cast<int>(size);
}

}  // namespace

namespace {

constexpr wchar_t kFirstSurrogate = 0xD800;
constexpr wchar_t kFirstLowSurrogate = 0xDC00;
constexpr wchar_t kLastSurrogate = 0xDFFF;
constexpr unsigned char kSurrogateLead = 0xED;

std::wstring systemToWide(std::string_view utf8)
{
    if (utf8.empty()) {
        return {};
    }
    const int length = clampedLength(utf8.size());
    const int needed = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(needed > 0 ? needed : 0), L'\0');
    if (needed > 0) {
        ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, wide.data(), needed);
    }
    return wide;
}

std::string systemToUtf8(std::wstring_view wide)
{
    if (wide.empty()) {
        return {};
    }
    const int length = clampedLength(wide.size());
    const int needed = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(needed > 0 ? needed : 0), '\0');
    if (needed > 0) {
        ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, utf8.data(), needed, nullptr, nullptr);
    }
    return utf8;
}

bool isSurrogate(wchar_t c)
{
    return c >= kFirstSurrogate && c <= kLastSurrogate;
}

}  // namespace

// A file name may hold a surrogate without its partner, which UTF-8 cannot carry: it is
// written as the three bytes its code would take (as WTF-8 does), so that the name comes back
// unchanged and its directory can still be entered.
std::wstring toWide(std::string_view utf8)
{
    std::wstring wide;
    std::size_t start = 0;
    for (std::size_t i = 0; i + 2 < utf8.size(); ++i) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const auto second = static_cast<unsigned char>(utf8[i + 1]);
        const auto third = static_cast<unsigned char>(utf8[i + 2]);
        if (lead == kSurrogateLead && second >= 0xA0 && second <= 0xBF && (third & 0xC0) == 0x80) {
            wide += systemToWide(utf8.substr(start, i - start));
            wide += static_cast<wchar_t>(0xD000 | ((second & 0x3F) << 6) | (third & 0x3F));
            i += 2;
            start = i + 1;
        }
    }
    wide += systemToWide(utf8.substr(start));
    return wide;
}

std::string toUtf8(std::wstring_view wide)
{
    std::string utf8;
    std::size_t start = 0;
    for (std::size_t i = 0; i < wide.size(); ++i) {
        if (!isSurrogate(wide[i])) {
            continue;
        }
        if (wide[i] < kFirstLowSurrogate && i + 1 < wide.size() && wide[i + 1] >= kFirstLowSurrogate &&
            wide[i + 1] <= kLastSurrogate) {
            ++i;  // a pair: UTF-8 carries it
            continue;
        }
        utf8 += systemToUtf8(wide.substr(start, i - start));
        const auto code = static_cast<unsigned>(wide[i]);
        utf8 += static_cast<char>(0xE0 | (code >> 12));
        utf8 += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        utf8 += static_cast<char>(0x80 | (code & 0x3F));
        start = i + 1;
    }
    utf8 += systemToUtf8(wide.substr(start));
    return utf8;
}

std::wstring extendedPath(const std::wstring& absolute)
{
    if (absolute.rfind(kExtendedPrefix, 0) == 0) {
        return absolute;
    }
    if (absolute.rfind(L"\\\\", 0) == 0) {
        return std::wstring{kExtendedUncPrefix} + absolute.substr(2);
    }
    return std::wstring{kExtendedPrefix} + absolute;
}

std::wstring ordinaryPath(const std::wstring& path)
{
    if (path.rfind(kExtendedUncPrefix, 0) == 0) {
        return L"\\\\" + path.substr(kExtendedUncPrefix.size());
    }
    if (path.rfind(kExtendedPrefix, 0) == 0) {
        return path.substr(kExtendedPrefix.size());
    }
    return path;
}

bool isDevicePath(std::wstring_view absolute)
{
    constexpr std::wstring_view kDevicePrefix = L"\\\\.\\";
    return absolute.starts_with(kDevicePrefix);
}

std::wstring fullPath(const std::wstring& path)
{
    const DWORD needed = ::GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    std::wstring full(needed, L'\0');
    const DWORD length = needed == 0 ? 0 : ::GetFullPathNameW(path.c_str(), needed, full.data(), nullptr);
    full.resize(length < needed ? length : 0);
    return ordinaryPath(full);
}

std::wstring finalPath(const std::wstring& path)
{
    const HANDLE handle = ::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return {};
    }
    const DWORD needed = ::GetFinalPathNameByHandleW(handle, nullptr, 0, VOLUME_NAME_DOS);
    std::wstring target(needed, L'\0');
    const DWORD length = needed == 0 ? 0 : ::GetFinalPathNameByHandleW(handle, target.data(), needed, VOLUME_NAME_DOS);
    ::CloseHandle(handle);
    target.resize(length < needed ? length : 0);
    return ordinaryPath(target);
}

std::string systemErrorText(std::uint32_t code)
{
    wchar_t* buffer = nullptr;
    const DWORD length =
        ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                         nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text = length > 0 && buffer != nullptr ? std::wstring{buffer, length} : std::wstring{};
    ::LocalFree(buffer);
    while (!text.empty() &&
           (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ' || text.back() == L'.')) {
        text.pop_back();
    }
    if (text.empty()) {
        return "system error " + std::to_string(code);
    }
    return toUtf8(text);
}

}  // namespace mezu::win32
