// SPDX-License-Identifier: MIT
// The window-system operations on Windows: a throttled yield that dispatches the pending
// messages about every 20 ms (see yield_throttle.h), the hourglass over the main window, and the
// message box with caption "mezu", OK only and no icon. As on the other window layers, the
// pointer is recorded when it is set and shown when the window can next be seen (at a yield's
// dispatch, before a box, after a command): a survey sets it twice for every directory.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>

#include "engine/window_system.h"
#include "ui/yield_throttle.h"

namespace mezu::win32 {

class Win32WindowSystem final : public WindowSystem {
public:
    static constexpr std::chrono::milliseconds kDefaultEventInterval{20};

    explicit Win32WindowSystem(std::chrono::milliseconds eventInterval = kDefaultEventInterval)
        : throttle_(eventInterval)
    {
    }

    // The main window, owner of the boxes and of the pointer; `beforeEvents` runs each time the
    // yield dispatches messages, so the view can show what the running command has built.
    void attach(HWND window, std::function<void()> beforeEvents);

    void yield() override;
    void setMousePointer(MousePointer pointer) override;
    void messageBox(const std::string& text) override;

    void showRequestedPointer();
    // For the main window's WM_SETCURSOR: true when it has set the hourglass, which then stands
    // over every part of the window.
    bool showBusyPointer() const;

private:
    HWND window_ = nullptr;
    std::function<void()> beforeEvents_;
    YieldThrottle throttle_;
    MousePointer requestedPointer_ = MousePointer::Default;
    MousePointer shownPointer_ = MousePointer::Default;
};

// Dispatches one message the way the main window's loop does: keyboard navigation between the
// controls (Tab, Space, Enter) goes through the dialog manager of `window`.
void dispatchMessage(HWND window, MSG& message);

}  // namespace mezu::win32
