// SPDX-License-Identifier: MIT
// The drive and directory selection of the main window: the drive picked in Drive1, the
// directory open in Dir1, and Label1, the text the survey takes as the directory to survey.
#pragma once

#include <string>

namespace mezu {

struct Selection {
    char Drive1 = '\0';  // drive letter of the drive selector, upper case
    std::string Dir1;    // full drive path of the directory open in the directory view
    std::string Label1;  // the label's text; Dir1's path once the window has loaded
};

}  // namespace mezu
