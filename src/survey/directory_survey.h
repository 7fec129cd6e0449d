// SPDX-License-Identifier: MIT
// The directory size survey: builds the report for the selected directory in the window's
// report buffers (header in List2, sorted result lines in List1, footer in List3).
#pragma once

#include <string>

#include "engine/mezucom.h"
#include "engine/window_system.h"
#include "model/window_lists.h"
#include "platform/clock.h"

namespace mezu {

// `label1` is the live text of Label1, read afresh at each step that takes the selected
// directory from it. The header copies dlist and the measurement uses the cluster size as the
// last drive query left them; an empty line stands for a missing dlist line. Each
// subdirectory's line is appended as soon as its tree is measured, the whole tree's when the
// walk ends; all are sorted at the end. A survey that is stopped keeps the lines of the trees it
// measured whole, sorted, and a note in place of the footer.
void directorySurvey(WindowLists& lists, mezucom& module, WindowSystem& windowSystem, const LocalDateTime& when,
                     const std::string& label1);

}  // namespace mezu
