// SPDX-License-Identifier: MIT
// The result line of one measured tree:
// "0000.03MB - C:\DATA               = (28.0KB) (28672 B)".
#pragma once

#include <string>
#include <string_view>

#include "engine/byte_total.h"

namespace mezu {

// Width of the path column; a longer path is shown whole and pushes the rest to the right.
inline constexpr std::size_t kResultPathWidth = 21;

// "0002.86MB": `totalBytes` in megabytes, rounded half away from zero to two decimals, with at
// least four integer digits; the size field that begins a result line.
std::string formatMegabytes(ByteTotal totalBytes, std::string_view decimalSeparator);

// The line for `path` with `totalBytes` allocated below it. MB and KB are rounded half away
// from zero to two and one decimals; `decimalSeparator` is the locale's.
std::string formatResultLine(std::string_view path, ByteTotal totalBytes,
                             std::string_view decimalSeparator);

}  // namespace mezu
