// SPDX-License-Identifier: MIT
// The grammar of the drive paths the core works in: "X:\" for a drive's root, "X:\a\b" below
// it. Every backend and the command line read drive paths here, so that all take the same
// texts: the letter in either case, "X:" alone for the root, separators doubled or at the end
// dropped. Names are bytes as the core keeps them (UTF-8); whether a path exists is the file
// system's business.
#pragma once

#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace mezu {

inline constexpr char kPathSeparator = '\\';

// A: and B: are only given for a run, to a directory asked for on a file system without a
// letter; the all-drives commands visit C: to Z:.
inline constexpr char kFirstDriveLetter = 'A';
inline constexpr char kFirstSurveyedDrive = 'C';
inline constexpr char kLastDriveLetter = 'Z';

// `c` in upper case when it is an ASCII letter; any other byte as it is.
constexpr char asciiUpper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// Whether `c` is a drive letter, in either case.
constexpr bool isDriveLetter(char c)
{
    const char letter = asciiUpper(c);
    return letter >= kFirstDriveLetter && letter <= kLastDriveLetter;
}

struct DrivePath {
    char letter = '\0';                   // upper case
    std::vector<std::string> components;  // the names below the root, none empty

    // "X:\" for the root, "X:\a\b" below it.
    std::string text() const;
};

// The drive path `text` names, or why it names none: it does not begin with a letter A to Z and
// ":", has no "\" right after them (on Windows "C:a" is relative to the drive's current
// directory), or has a "." or ".." name, which would make the path lead somewhere else.
std::variant<DrivePath, std::string> parseDrivePath(std::string_view text);

}  // namespace mezu
