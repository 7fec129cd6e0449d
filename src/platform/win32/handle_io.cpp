// SPDX-License-Identifier: MIT
#include "platform/win32/handle_io.h"

#include <windows.h>

#include <algorithm>

namespace mezu::win32 {
namespace {

constexpr std::size_t kLargestWrite = 1U << 20;

}  // namespace

bool writeAll(void* handle, const char* data, std::size_t size)
{
    std::size_t written = 0;
    while (written < size) {
        const auto chunk = static_cast<DWORD>(std::min(size - written, kLargestWrite));
        DWORD done = 0;
        if (!::WriteFile(handle, data + written, chunk, &done, nullptr) || done == 0) {
            return false;
        }
        written += done;
    }
    return true;
}

}  // namespace mezu::win32
