// SPDX-License-Identifier: MIT
// The three window-system operations that the report logic calls: the yield, the main window's
// mouse pointer and the message box. Called on the user-interface thread only.
#pragma once

#include <string>

namespace mezu {

enum class MousePointer : int {
    Default = 0,
    Busy = 11,  // the hourglass
};

class WindowSystem {
public:
    virtual ~WindowSystem() = default;
    // Lets the window system handle what is pending (repaint, input), then returns.
    virtual void yield() = 0;
    virtual void setMousePointer(MousePointer pointer) = 0;
    // Shows a modal box with the text, OK only, no icon, caption "mezu". A carriage return
    // (character 13) in the text starts a new line.
    virtual void messageBox(const std::string& text) = 0;
};

}  // namespace mezu
