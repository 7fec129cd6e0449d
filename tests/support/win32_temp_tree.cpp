// SPDX-License-Identifier: MIT
#include "win32_temp_tree.h"

#include <windows.h>
#include <winioctl.h>

#include <atomic>
#include <stdexcept>

#include "platform/win32/wide_text.h"

namespace mezu::test {
namespace {

using win32::extendedPath;
using win32::toUtf8;
using win32::toWide;

void check(bool done, const std::string& what)
{
    if (!done) {
        throw std::runtime_error(what + ": " + win32::systemErrorText(::GetLastError()));
    }
}

// Removes a tree without following links: a reparse point is removed as itself.
void removeTree(const std::wstring& path)
{
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return;
    }
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        ::DeleteFileW(path.c_str());
        return;
    }
    if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
        WIN32_FIND_DATAW data{};
        const HANDLE find = ::FindFirstFileW((path + L"\\*").c_str(), &data);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring_view name{data.cFileName};
                if (name != L"." && name != L"..") {
                    removeTree(path + L"\\" + data.cFileName);
                }
            } while (::FindNextFileW(find, &data));
            ::FindClose(find);
        }
    }
    ::RemoveDirectoryW(path.c_str());
}

}  // namespace

Win32TempTree::Win32TempTree()
{
    static std::atomic<unsigned> counter{0};
    wchar_t temporary[MAX_PATH + 1] = {};
    check(::GetTempPathW(MAX_PATH + 1, temporary) != 0, "GetTempPathW");
    const std::wstring root =
        win32::fullPath(std::wstring{temporary} + L"mezu-test-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                        std::to_wstring(counter++));
    check(::CreateDirectoryW(extendedPath(root).c_str(), nullptr), "CreateDirectoryW");
    root_ = toUtf8(root);
}

Win32TempTree::~Win32TempTree()
{
    removeTree(extendedPath(toWide(root_)));
}

std::string Win32TempTree::path(const std::string& relative) const
{
    std::string path = root_ + "\\" + relative;
    for (char& c : path) {
        c = c == '/' ? '\\' : c;
    }
    return path;
}

void Win32TempTree::remove(const std::string& relative)
{
    removeTree(extendedPath(toWide(path(relative))));
}

void Win32TempTree::dir(const std::string& relative)
{
    check(::CreateDirectoryW(extendedPath(toWide(path(relative))).c_str(), nullptr), "CreateDirectoryW " + relative);
}

void Win32TempTree::file(const std::string& relative, std::uint64_t length)
{
    const HANDLE handle = ::CreateFileW(extendedPath(toWide(path(relative))).c_str(), GENERIC_WRITE, 0, nullptr,
                                        CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    check(handle != INVALID_HANDLE_VALUE, "CreateFileW " + relative);
    DWORD returned = 0;
    ::DeviceIoControl(handle, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
    LARGE_INTEGER end{};
    end.QuadPart = static_cast<LONGLONG>(length);
    const bool sized = ::SetFilePointerEx(handle, end, nullptr, FILE_BEGIN) && ::SetEndOfFile(handle);
    ::CloseHandle(handle);
    check(sized, "SetEndOfFile " + relative);
}

void Win32TempTree::setAttributes(const std::string& relative, std::uint32_t attributes)
{
    check(::SetFileAttributesW(extendedPath(toWide(path(relative))).c_str(), attributes),
          "SetFileAttributesW " + relative);
}

std::string Win32TempTree::chainLongerThan(const std::string& relative, const std::string& name, std::size_t length)
{
    std::string chain = relative;
    while (chain.size() <= length) {
        chain += "/" + name;
        dir(chain);
    }
    return chain;
}

}  // namespace mezu::test
