// SPDX-License-Identifier: MIT
// Runs a window command so that running out of memory in it (std::bad_alloc) costs that command
// only: the report on screen before it comes back, the selected directory's drive figures (and
// so the cluster size the next survey rounds with) are read again, the pointer is the arrow
// again and the box "メモリが足りません" is shown; the window goes on. No report is ever left
// half-made on screen as if whole.
#pragma once

#include <functional>
#include <string_view>

#include "engine/window_system.h"
#include "ui/mezumain.h"

namespace mezu {

inline constexpr std::string_view kOutOfMemoryMessage = "メモリが足りません";

// Whether a command puts a report of its own in the lists (the surveys, the drive report, the
// comparison) or only reads the one there (saving, printing). Only the first kind has the
// report copied beforehand, so that the readers do not need twice its memory.
enum class ReportEffect { Replaces, Reads };

// Runs `command` of `window`; false when memory ran out in it (the box has been shown).
bool runWithinMemory(mezumain& window, WindowSystem& windowSystem, ReportEffect effect,
                     const std::function<void()>& command);

}  // namespace mezu
