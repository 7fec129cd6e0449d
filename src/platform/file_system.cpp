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

}  // namespace mezu
