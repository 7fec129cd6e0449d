// Drive1 on Windows: a drop-down list (ComboBoxEx) of the drives, each with the shell's icon
// and its volume label as drive lists show them ("c: [SYSTEM]").
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace mezu::win32 {

class DriveBox {
public:
    // Fills the ComboBoxEx control `box` with `letters` (upper case, in order).
    void bind(HWND box, const std::vector<char>& letters);
    // Selects the drive's line; a letter the list does not hold selects nothing.
    void select(char letter);
    // The drive of the selected line, or '\0' when none is selected.
    char selected() const;
    bool droppedDown() const;

private:
    HWND box_ = nullptr;
    std::vector<char> letters_;
};

// The line a drive list shows for a drive: its lower-case letter, a colon and, when the drive
// has one, its volume label in brackets.
std::wstring driveLine(char letter, const std::wstring& volumeLabel);

}  // namespace mezu::win32
