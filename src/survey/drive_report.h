// SPDX-License-Identifier: MIT
// The all-drives information report: the two drive lines of every drive from C: to Z: that
// answers, between rules of 51 "-", below the dated header.
#pragma once

#include <string_view>

#include "engine/mezucom.h"
#include "model/window_lists.h"
#include "platform/clock.h"

namespace mezu {

inline constexpr std::string_view kDriveRule = "---------------------------------------------------";

// Replaces the report in List2, List1 and List3 (List3 stays empty). Leaves dlist and the
// cluster size as the last drive queried left them.
void driveInformationReport(WindowLists& lists, mezucom& module, const LocalDateTime& when);

}  // namespace mezu
