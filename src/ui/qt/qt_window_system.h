// SPDX-License-Identifier: MIT
// The window-system operations on Qt: a throttled yield that lets the event loop run about
// every 20 ms (see yield_throttle.h), the main window's busy pointer, and the message box with
// caption "mezu", OK only and no icon. The pointer is only recorded when it is set and
// shown when the window can next be seen: at the yield's hand-over to the event loop, before a
// box, and when the view calls showRequestedPointer after a command. A survey sets it twice for
// each directory it measures, far more often than anyone could see it change.
#pragma once

#include <QPointer>
#include <QWidget>

#include <chrono>
#include <functional>

#include "engine/window_system.h"
#include "ui/yield_throttle.h"

namespace mezu {

class QtWindowSystem final : public WindowSystem {
public:
    static constexpr std::chrono::milliseconds kDefaultEventInterval{20};

    // `eventInterval`: the least time between two hand-overs to the event loop; 0 hands over
    // at every yield.
    explicit QtWindowSystem(std::chrono::milliseconds eventInterval = kDefaultEventInterval)
        : throttle_(eventInterval)
    {
    }

    // The window the pointer and the boxes belong to; `beforeEvents` runs each time the yield
    // hands over to the event loop, so the view can show what the running command has built.
    void attach(QWidget* window, std::function<void()> beforeEvents);

    void yield() override;
    void setMousePointer(MousePointer pointer) override;
    void messageBox(const std::string& text) override;
    void showRequestedPointer();

private:
    QPointer<QWidget> window_;
    std::function<void()> beforeEvents_;
    YieldThrottle throttle_;
    MousePointer requestedPointer_ = MousePointer::Default;
    MousePointer shownPointer_ = MousePointer::Default;
};

// The text as a box shows it: each carriage return becomes a line break.
QString messageBoxText(const std::string& text);

}  // namespace mezu
