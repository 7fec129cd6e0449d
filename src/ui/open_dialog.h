// SPDX-License-Identifier: MIT
// A modal Open dialog over the main window, for choosing a saved report to read.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace mezu {

class OpenDialog {
public:
    virtual ~OpenDialog() = default;
    // Shows the dialog with `title` and a file-type filter "description|pattern|...|"; returns
    // the chosen existing file, or nullopt when the user cancelled.
    virtual std::optional<std::string> askFileToOpen(std::string_view title, std::string_view filter) = 0;
};

}  // namespace mezu
