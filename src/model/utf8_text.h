// SPDX-License-Identifier: MIT
// UTF-8 as the core meets it: names are the kernel's bytes and need not be valid UTF-8, while
// everything the program shows or writes as UTF-8 must be.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace mezu {

// U+FFFD, which stands for each byte that is no part of valid UTF-8.
inline constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

// The length of the valid UTF-8 sequence at the start of `text` (no overlong forms, no
// surrogates, nothing above U+10FFFF); 0 when none starts there or `text` is empty.
std::size_t validSequenceLength(std::string_view text);

// The code point of a sequence validSequenceLength accepted whole.
char32_t decodeSequence(std::string_view sequence);

// Whether every byte of `text` is ASCII (below 0x80), as most names are.
bool isAscii(std::string_view text);
// Whether every byte of `text` is printable ASCII (0x20 to 0x7E), which shows as it is.
bool isPrintableAscii(std::string_view text);
// Whether every byte of `text` is part of valid UTF-8.
bool isValidUtf8(std::string_view text);

// `text` with every byte that is no part of valid UTF-8 replaced by U+FFFD.
std::string validUtf8(std::string_view text);

}  // namespace mezu
