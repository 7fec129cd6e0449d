// SPDX-License-Identifier: MIT
// The drive roots the all-drives commands visit: "C:\" to "Z:\" in order (A: and B: never).
#pragma once

#include <string>
#include <vector>

namespace mezu {

std::vector<std::string> surveyedDriveRoots();

}  // namespace mezu
