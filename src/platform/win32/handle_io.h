// SPDX-License-Identifier: MIT
// Writes a whole buffer to a file, pipe or device handle, in pieces the system takes.
#pragma once

#include <cstddef>

namespace mezu::win32 {

// False, with GetLastError set, when the handle takes no more bytes.
bool writeAll(void* handle, const char* data, std::size_t size);

}  // namespace mezu::win32
