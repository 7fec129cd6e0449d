// SPDX-License-Identifier: MIT
// Text measures and order that follow UTF-16 code units, as the report's columns and its size
// sort are defined, while the core keeps its texts as UTF-8.
// Bytes that are not valid UTF-8 (file names are kept as the kernel returns them) count as one
// unit each and order as the lone surrogates U+DC80..U+DCFF, so every distinct text keeps a
// distinct place in the order and equal order means identical bytes.
#pragma once

#include <cstddef>
#include <string_view>

namespace mezu {

// Negative when a orders before b, zero when they are identical, positive otherwise;
// ordinal over UTF-16 code units, a proper prefix ordering first.
int compareUtf16(std::string_view a, std::string_view b);

// The number of UTF-16 code units of the text.
std::size_t utf16Length(std::string_view text);

}  // namespace mezu
