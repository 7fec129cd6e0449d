// SPDX-License-Identifier: MIT
// The line lists that the main window owns for the whole run. The report commands and the
// measurement engine reach them through the one window instance; only List1 and dlist are shown.
#pragma once

#include "model/directory_list.h"
#include "model/line_list.h"

namespace mezu {

struct WindowLists {
    LineList List1;         // result lines, shown at the bottom of the window
    LineList List2;         // report header
    LineList List3;         // report footer
    LineList List4;         // staging list of the all-drives directory survey
    DirectoryList wklist1;  // a directory and every directory below it
    LineList wkList2;       // the immediate subdirectories of a directory
    LineList dlist;         // the two drive lines of the selected drive, shown in grey
};

}  // namespace mezu
