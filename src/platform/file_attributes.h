// SPDX-License-Identifier: MIT
// Attribute bits of a directory entry and the enumeration's mask rule.
#pragma once

#include <cstdint>

namespace mezu {

using FileAttributes = std::uint32_t;

inline constexpr FileAttributes kAttrNormal = 0;
inline constexpr FileAttributes kAttrReadOnly = 1;
inline constexpr FileAttributes kAttrHidden = 2;
inline constexpr FileAttributes kAttrSystem = 4;
inline constexpr FileAttributes kAttrDirectory = 16;
inline constexpr FileAttributes kAttrArchive = 32;

// An entry is enumerated only if each of its hidden, system and directory bits is either clear
// or also set in the mask; read-only and archive never keep an entry out.
constexpr bool passesMask(FileAttributes attributes, FileAttributes mask)
{
    constexpr FileAttributes kFiltered = kAttrHidden | kAttrSystem | kAttrDirectory;
    return (attributes & kFiltered & ~mask) == 0;
}

constexpr bool isDirectory(FileAttributes attributes)
{
    return (attributes & kAttrDirectory) == kAttrDirectory;
}

}  // namespace mezu
