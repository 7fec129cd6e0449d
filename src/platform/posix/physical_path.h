// SPDX-License-Identifier: MIT
// The absolute path of a directory without symbolic links, as realpath(3) gives it, also for a
// directory deeper than PATH_MAX, where realpath and getcwd fail with "File name too long".
#pragma once

#include <string>

namespace mezu::posix {

// The physical absolute path of the directory `path` names (relative to the working directory
// or absolute). On failure returns an empty text and leaves errno set to the reason.
std::string physicalDirectoryPath(const std::string& path);

}  // namespace mezu::posix
