// SPDX-License-Identifier: MIT
// Dir1 on Windows: an owner-drawn list box of the open directory's chain from the drive root
// (open-folder icons) and its subdirectories below (closed folders), indented by depth, with
// the shell's folder icons.
#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>
#include <vector>

#include "ui/directory_view.h"

namespace mezu::win32 {

class DirectoryBox {
public:
    DirectoryBox() = default;
    DirectoryBox(const DirectoryBox&) = delete;
    DirectoryBox& operator=(const DirectoryBox&) = delete;
    ~DirectoryBox();

    // `listBox` has LBS_OWNERDRAWFIXED and LBS_HASSTRINGS; the owner passes its WM_DRAWITEM on.
    void bind(HWND listBox);
    // Lists the entries (their labels as shown) and selects the open directory.
    void setEntries(std::vector<DirectoryViewEntry> entries);
    // The selected line, if any.
    std::optional<std::size_t> selectedRow() const;
    // The row height and icon size for the font and resolution.
    void setMetrics(HFONT font, int dpi);
    void draw(const DRAWITEMSTRUCT& item) const;

private:
    HWND listBox_ = nullptr;
    HFONT font_ = nullptr;
    HICON openIcon_ = nullptr;
    HICON closedIcon_ = nullptr;
    int iconSize_ = 16;
    int indent_ = 8;
    std::vector<DirectoryViewEntry> entries_;
    int openRow_ = -1;
};

}  // namespace mezu::win32
