// SPDX-License-Identifier: MIT
#include "model/drive_letters.h"

#include "model/path_text.h"

namespace mezu {

std::vector<std::string> surveyedDriveRoots()
{
    std::vector<std::string> roots;
    for (char letter = kFirstSurveyedDrive; letter <= kLastDriveLetter; ++letter) {
        roots.push_back(driveRoot(letter));
    }
    return roots;
}

}  // namespace mezu
