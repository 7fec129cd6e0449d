// SPDX-License-Identifier: MIT
// Shows a LineList in a list box control: lines appended since the last refresh are added,
// anything else (a clear, a replaced line, a sort) shows the list afresh. The horizontal
// extent follows the widest line, so a long line scrolls sideways instead of being cut. An
// owner-drawn list box (LBS_OWNERDRAWFIXED with LBS_HASSTRINGS) can show each line's share of
// a whole as a pale bar behind its text, the whole spanning the visible width.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "model/line_list.h"

namespace mezu::win32 {

class LineListBox {
public:
    // Borrows the lines; they outlive this object. The list box is bound later.
    explicit LineListBox(const LineList& lines)
        : lines_(lines),
          follower_(lines)
    {
    }

    // The control the lines are shown in; they are measured in the font setFont gives.
    void bind(HWND listBox);
    void refresh();
    // The control's new font: every shown line is measured again; an owner-drawn control's
    // lines take the font's height.
    void setFont(HFONT font);
    // Each line's share, from 0 to 1, in the list's order; lines without one (all, when
    // `shares` is empty) have no bar.
    void setShares(std::vector<double> shares);
    // For the owner's WM_DRAWITEM of an owner-drawn control.
    void draw(const DRAWITEMSTRUCT& item) const;

private:
    // Shows lines 0 to count - 1 anew.
    void showAfresh(std::size_t count);
    int measure(std::size_t from, std::size_t to) const;

    const LineList& lines_;
    HWND listBox_ = nullptr;
    HFONT font_ = nullptr;
    LineListFollower follower_;
    int widest_ = 0;
    std::vector<double> shares_;
};

}  // namespace mezu::win32
