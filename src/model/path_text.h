// SPDX-License-Identifier: MIT
// Helpers for the drive paths the core builds itself ("C:\" for a root, "C:\DATA\OLD" below
// it), which take them as well formed; a text from elsewhere is read with parseDrivePath.
#pragma once

#include <string>
#include <string_view>

#include "model/drive_path.h"

namespace mezu {

// The parent path, then "\" unless the parent already ends with one, then the name.
std::string childPath(std::string_view parent, std::string_view name);

// `path` with "\" appended unless it already ends with one.
std::string withTrailingSeparator(std::string_view path);

// The first character of the path in upper case, or '\0' for an empty path.
char driveLetterOf(std::string_view path);

// The first three characters of the path ("D:\" for any path that begins so),
// or the whole path when it is shorter.
std::string driveRootOf(std::string_view path);

// "X:\" for a drive letter.
std::string driveRoot(char letter);

// `path` as a report line or the window shows it, so that no name can break a line, forge one,
// or turn the rest of its line around: every control character (C0, DEL and C1), every
// bidirectional formatting character and the line and paragraph separators become "?", and
// each byte that is no part of valid UTF-8 becomes U+FFFD, so the text is always valid UTF-8.
// For display only: the walk keeps using the real name.
std::string displayPath(std::string_view path);
// The same, added to the end of `out`.
void appendDisplayPath(std::string& out, std::string_view path);

}  // namespace mezu
