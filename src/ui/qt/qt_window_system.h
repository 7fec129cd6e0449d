// The window-system operations on Qt: a throttled yield that lets the event loop run at most
// about every 20 ms (a clock check otherwise), the main window's busy pointer, and the message
// box with caption "mezu", OK only and no icon.
#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QWidget>

#include <chrono>
#include <functional>

#include "platform/window_system.h"

namespace mezu {

class QtWindowSystem final : public WindowSystem {
public:
    static constexpr std::chrono::milliseconds kDefaultEventInterval{20};

    // `eventInterval`: the least time between two hand-overs to the event loop.
    explicit QtWindowSystem(std::chrono::milliseconds eventInterval = kDefaultEventInterval)
        : eventInterval_(eventInterval)
    {
    }

    // The window the pointer and the boxes belong to; `beforeEvents` runs each time the yield
    // hands over to the event loop, so the view can show what the running command has built.
    void attach(QWidget* window, std::function<void()> beforeEvents);

    void yield() override;
    void setMousePointer(MousePointer pointer) override;
    void messageBox(const std::string& text) override;

private:
    QPointer<QWidget> window_;
    std::function<void()> beforeEvents_;
    std::chrono::milliseconds eventInterval_;
    QElapsedTimer sinceEvents_;
};

// The text as a box shows it: each carriage return becomes a line break.
QString messageBoxText(const std::string& text);

}  // namespace mezu
