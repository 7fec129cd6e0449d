// SPDX-License-Identifier: MIT
#include "ui/directory_view.h"

#include <algorithm>
#include <cctype>

#include "model/path_text.h"

namespace mezu {
namespace {

std::string folded(const std::string& text)
{
    std::string result = text;
    std::transform(result.begin(), result.end(), result.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return result;
}

}  // namespace

std::vector<DirectoryViewEntry> directoryViewEntries(FileSystem& fileSystem, const std::string& openPath)
{
    std::vector<DirectoryViewEntry> entries;
    if (openPath.size() < 2) {
        return entries;
    }
    std::string path = driveRoot(driveLetterOf(openPath));
    entries.push_back({path, path, 0, false});
    std::size_t start = 3;
    while (start < openPath.size()) {
        const std::size_t end = std::min(openPath.find(kPathSeparator, start), openPath.size());
        if (end > start) {
            const std::string name = openPath.substr(start, end - start);
            path = childPath(path, name);
            entries.push_back({name, path, entries.size(), false});
        }
        start = end + 1;
    }
    entries.back().isOpen = true;

    std::vector<std::pair<std::string, std::string>> names;  // folded for the order, as given
    for (std::string& name : fileSystem.subdirectoryNames(path)) {
        names.emplace_back(folded(name), std::move(name));
    }
    std::stable_sort(names.begin(), names.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    const std::size_t childDepth = entries.size();
    for (const auto& [order, name] : names) {
        entries.push_back({name, childPath(path, name), childDepth, false});
    }
    return entries;
}

}  // namespace mezu
