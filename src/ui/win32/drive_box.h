// SPDX-License-Identifier: MIT
// Drive1 on Windows: a drop-down list (ComboBoxEx) of the drives, each with the shell's icon
// and what tells it apart: its volume label as drive lists show them ("c: [SYSTEM]"), or the
// caption the window logic gives where a drive stands for a host directory.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "ui/mezumain.h"

namespace mezu::win32 {

class DriveBox {
public:
    // `box` is a ComboBoxEx control; it gets the shell's small icons.
    void bind(HWND box);
    // Shows the drives anew, selecting nothing. A drive's label and icon are read when it is
    // first listed, so that opening the list asks no slow drive (a network share) again.
    void setItems(const std::vector<mezumain::Drive1Item>& items);
    // The height of the box's field in pixels; the dropped list below it fits the drives.
    void setFieldHeight(int height);
    // Selects the drive's line; a letter the list does not hold selects nothing.
    void select(char letter);
    // The drive of the selected line, or '\0' when none is selected.
    char selected() const;
    bool droppedDown() const;

private:
    struct Shown {
        std::wstring caption;
        int icon = 0;
    };
    const Shown& shownFor(const mezumain::Drive1Item& item);
    void fitList() const;

    HWND box_ = nullptr;
    int fieldHeight_ = 0;
    std::vector<char> letters_;
    std::map<char, Shown> shown_;
};

}  // namespace mezu::win32
