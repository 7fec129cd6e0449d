// SPDX-License-Identifier: MIT
#include "platform/win32/win32_file_writer.h"

#include <windows.h>

#include <atomic>

#include "platform/win32/handle_io.h"
#include "platform/win32/wide_text.h"

namespace mezu::win32 {
namespace {

constexpr int kTemporaryNameTries = 100;

bool writeInPlace(const std::wstring& device, const std::string& bytes, std::string& error)
{
    const HANDLE handle = ::CreateFileW(device.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        error = systemErrorText(::GetLastError());
        return false;
    }
    const bool written = writeAll(handle, bytes.data(), bytes.size());
    if (!written) {
        error = systemErrorText(::GetLastError());
    }
    ::CloseHandle(handle);
    return written;
}

// Creates a new file beside `target` holding `bytes`, flushed to the disk; its name, or empty
// with `error` set.
std::wstring writeTemporary(const std::wstring& target, const std::string& bytes, std::string& error)
{
    static std::atomic<unsigned> counter{0};
    const std::wstring directory = target.substr(0, target.rfind(L'\\') + 1);
    for (int attempt = 0; attempt < kTemporaryNameTries; ++attempt) {
        const std::wstring name = directory + L"~mezu-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                                  std::to_wstring(counter++) + L".tmp";
        const HANDLE handle = ::CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_WRITE_THROUGH, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            if (::GetLastError() == ERROR_FILE_EXISTS) {
                continue;
            }
            error = systemErrorText(::GetLastError());
            return {};
        }
        const bool written = writeAll(handle, bytes.data(), bytes.size()) && ::FlushFileBuffers(handle);
        const DWORD writeError = ::GetLastError();
        ::CloseHandle(handle);
        if (!written) {
            ::DeleteFileW(name.c_str());
            error = systemErrorText(writeError);
            return {};
        }
        return name;
    }
    error = "no free name for a temporary file";
    return {};
}

}  // namespace

bool Win32FileWriter::writeStandardOutput(const std::string& bytes, std::string& error)
{
    // The handle the program was given, written at its position: a file the shell opened for
    // appending is added to, a console shows the bytes in its code page.
    const HANDLE output = ::GetStdHandle(STD_OUTPUT_HANDLE);
    if (output == INVALID_HANDLE_VALUE || output == nullptr) {
        error = "standard output is not open";
        return false;
    }
    if (!writeAll(output, bytes.data(), bytes.size())) {
        error = systemErrorText(::GetLastError());
        return false;
    }
    return true;
}

bool Win32FileWriter::replaceFile(const std::string& path, const std::string& bytes, std::string& error)
{
    const std::wstring full = fullPath(toWide(path));
    if (full.empty()) {
        error = systemErrorText(::GetLastError());
        return false;
    }
    if (isDevicePath(full)) {
        return writeInPlace(full, bytes, error);
    }
    std::wstring target = extendedPath(full);
    DWORD attributes = ::GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 &&
        (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        const std::wstring linked = finalPath(target);
        if (linked.empty()) {
            error = systemErrorText(::GetLastError());
            return false;
        }
        target = extendedPath(linked);
        attributes = ::GetFileAttributesW(target.c_str());
    }
    if (attributes == INVALID_FILE_ATTRIBUTES && ::GetLastError() != ERROR_FILE_NOT_FOUND) {
        error = systemErrorText(::GetLastError());
        return false;
    }
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        error = "is a directory";
        return false;
    }
    if (exists && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        error = "the file is read-only";
        return false;
    }
    const std::wstring temporary = writeTemporary(target, bytes, error);
    if (temporary.empty()) {
        return false;
    }
    // ReplaceFileW without a backup name leaves the target as it was when it fails.
    const bool replaced =
        (exists && ::ReplaceFileW(target.c_str(), temporary.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr,
                                  nullptr)) ||
        ::MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!replaced) {
        error = systemErrorText(::GetLastError());
        ::DeleteFileW(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace mezu::win32
