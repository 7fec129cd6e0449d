// SPDX-License-Identifier: MIT
// The modal Save dialog of the main window.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace mezu {

class SaveDialog {
public:
    virtual ~SaveDialog() = default;
    // Shows the dialog with a file-type filter in the form "description|pattern|...|" and a
    // preset file name; returns the chosen name, or nullopt when the user cancelled.
    virtual std::optional<std::string> askFileName(std::string_view filter, const std::string& presetName) = 0;
};

}  // namespace mezu
