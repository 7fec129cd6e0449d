// SPDX-License-Identifier: MIT
#include "model/drive_path.h"

#include <algorithm>

namespace mezu {

std::string DrivePath::text() const
{
    std::string path{letter, ':', kPathSeparator};
    for (std::size_t i = 0; i < components.size(); ++i) {
        if (i != 0) {
            path += kPathSeparator;
        }
        path += components[i];
    }
    return path;
}

std::variant<DrivePath, std::string> parseDrivePath(std::string_view text)
{
    constexpr std::size_t kRootSize = 3;
    if (text.size() < 2 || text[1] != ':' || !isDriveLetter(text[0])) {
        return std::string{"it does not begin with a drive letter from A to Z and \":\""};
    }
    if (text.size() >= kRootSize && text[2] != kPathSeparator) {
        return "no \"\\\" follows \"" + std::string{text.substr(0, 2)} + "\"";
    }
    DrivePath path{asciiUpper(text[0]), {}};
    for (std::size_t start = kRootSize; start < text.size();) {
        const std::size_t end = std::min(text.find(kPathSeparator, start), text.size());
        const std::string_view name = text.substr(start, end - start);
        if (name == "." || name == "..") {
            return "it has the name \"" + std::string{name} + "\", which leads elsewhere";
        }
        if (!name.empty()) {
            path.components.emplace_back(name);
        }
        start = end + 1;
    }
    return path;
}

}  // namespace mezu
