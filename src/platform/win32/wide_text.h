// SPDX-License-Identifier: MIT
// The seam between the core's UTF-8 texts and the Win32 API's UTF-16, the extended-length form
// of paths, and system error codes as text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace mezu::win32 {

// Every UTF-16 name round-trips: a surrogate without its partner travels in UTF-8 as the three
// bytes of its code. Bytes that are not UTF-8 become U+FFFD; nothing is dropped.
std::wstring toWide(std::string_view utf8);
std::string toUtf8(std::wstring_view wide);

// The "\\?\" form of an absolute path ("C:\a" or "\\server\share\a"), which lifts the MAX_PATH
// limit; a path already in that form is returned as it is. The path must have no "." or ".."
// names and no "/": the extended form takes every name literally.
std::wstring extendedPath(const std::wstring& absolute);
// The ordinary form of a path the system returned in the extended form.
std::wstring ordinaryPath(const std::wstring& path);

// Whether an absolute path names a device ("\\.\NUL", "\\.\COM1") rather than a file: a device is
// opened as it is, never in the extended form.
bool isDevicePath(std::wstring_view absolute);

// The absolute form of a path (GetFullPathNameW), ordinary unless it names a device
// ("\\.\NUL"); empty on failure, with GetLastError set.
std::wstring fullPath(const std::wstring& path);

// Where a link (or junction) finally leads, in ordinary form; empty on failure, with
// GetLastError set.
std::wstring finalPath(const std::wstring& path);

// The system's message for an error code (GetLastError), without the trailing line break.
std::string systemErrorText(std::uint32_t code);

}  // namespace mezu::win32
