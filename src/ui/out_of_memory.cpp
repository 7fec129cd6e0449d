// SPDX-License-Identifier: MIT
#include "ui/out_of_memory.h"

#include <new>
#include <optional>

namespace mezu {

bool runWithinMemory(mezumain& window, WindowSystem& windowSystem, ReportEffect effect,
                     const std::function<void()>& command)
{
    std::optional<mezumain::ShownReport> before;
    try {
        if (effect == ReportEffect::Replaces) {
            before = window.shownReport();
        }
        command();
        return true;
    } catch (const std::bad_alloc&) {
        // The memory of what the command had built so far is given back by moving the old
        // report in: nothing is allocated here.
        if (before) {
            window.showReport(std::move(*before));
        }
    }
    try {
        // A command that queried every drive may have stopped before the selected one was
        // queried again: a survey that follows would round with another drive's clusters.
        window.module().drvinfo(window.selection().Dir1);
        windowSystem.setMousePointer(MousePointer::Default);
        windowSystem.messageBox(std::string{kOutOfMemoryMessage});
    } catch (const std::bad_alloc&) {
        // Still no memory even for the box: the report on screen is the old one all the same.
    }
    return false;
}

}  // namespace mezu
