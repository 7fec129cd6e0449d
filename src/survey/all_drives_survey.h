// SPDX-License-Identifier: MIT
// The all-drives directory survey: for every drive from C: to Z: that answers, one result line
// per top-level directory, measured in that drive's clusters and sorted largest first, then a
// rule of 48 "-". The sections are collected in List4 and copied to List1 at the end.
#pragma once

#include <string_view>

#include "engine/mezucom.h"
#include "engine/window_system.h"
#include "model/window_lists.h"
#include "platform/clock.h"

namespace mezu {

inline constexpr std::string_view kSectionRule = "------------------------------------------------";

// Replaces the report in List2 and List1 and the sections in List4; List3 stays empty (but for
// the note of a survey that was stopped, whose last section has no rule). Files
// directly in a root are counted in no line. Leaves dlist and the cluster size as the last
// drive queried left them.
void allDrivesSurvey(WindowLists& lists, mezucom& module, WindowSystem& windowSystem, const LocalDateTime& when);

}  // namespace mezu
