// SPDX-License-Identifier: MIT
#include "platform/file_system.h"

#include <algorithm>

#include "model/path_text.h"
#include "platform/enumerating_tree_walk.h"

namespace mezu {

bool FileSystem::changeToSubdirectory(const std::string& name)
{
    const std::optional<std::string> current = currentDirectory(currentDrive());
    return current && !name.empty() && changeDirectory(childPath(*current, name));
}

std::unique_ptr<TreeWalk> FileSystem::walkTree(const std::string& drivePath)
{
    return std::make_unique<EnumeratingTreeWalk>(*this, drivePath);
}

bool FileSystem::changeToParent()
{
    const std::optional<std::string> current = currentDirectory(currentDrive());
    if (!current || current->size() <= driveRoot(currentDrive()).size()) {
        return false;
    }
    const std::size_t separator = current->find_last_of(kPathSeparator);
    const std::size_t rootSize = driveRoot(currentDrive()).size();
    return separator != std::string::npos && changeDirectory(current->substr(0, std::max(separator, rootSize)));
}

std::optional<FileAttributes> FileSystem::attributesOf(const std::string& drivePath)
{
    const std::size_t separator = drivePath.find_last_of(kPathSeparator);
    if (separator == std::string::npos || separator + 1 == drivePath.size()) {
        return std::nullopt;
    }
    const char drive = driveLetterOf(drivePath);
    const char previousDrive = currentDrive();
    const std::optional<std::string> previous = currentDirectory(drive);
    const std::size_t rootSize = driveRoot(drive).size();
    // "C:\a.txt" lies in the root "C:\", "C:\DATA\a.txt" in "C:\DATA".
    const std::string directory = drivePath.substr(0, separator + 1 <= rootSize ? rootSize : separator);
    std::optional<FileAttributes> found;
    if (changeDrive(drive) && changeDirectory(directory)) {
        found = attributes(drivePath.substr(separator + 1));
    }
    if (previous) {
        changeDirectory(*previous);
    }
    changeDrive(previousDrive);
    return found;
}

}  // namespace mezu
