// SPDX-License-Identifier: MIT
// Shows a LineList in a list box control: lines appended since the last refresh are added,
// anything else (a clear, a replaced line, a sort) shows the list afresh. The horizontal
// extent follows the widest line, so a long line scrolls sideways instead of being cut.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "model/line_list.h"

namespace mezu::win32 {

class LineListBox {
public:
    // Borrows the lines; they outlive this object. The list box is bound later.
    explicit LineListBox(const LineList& lines) : lines_(lines), follower_(lines) {}

    // The control the lines are shown in; they are measured in the font setFont gives.
    void bind(HWND listBox);
    void refresh();
    // The control's new font: every shown line is measured again.
    void setFont(HFONT font);

private:
    // Shows lines 0 to count - 1 anew.
    void showAfresh(std::size_t count);
    int measure(std::size_t from, std::size_t to) const;

    const LineList& lines_;
    HWND listBox_ = nullptr;
    HFONT font_ = nullptr;
    LineListFollower follower_;
    int widest_ = 0;
};

}  // namespace mezu::win32
