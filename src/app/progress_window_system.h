// SPDX-License-Identifier: MIT
// The window-system operations of the command line: the yield shows, at most ten times a
// second, how far the survey has come, by reading the window's lists.
#pragma once

#include <chrono>
#include <ostream>

#include "engine/headless_window_system.h"
#include "model/window_lists.h"
#include "ui/yield_throttle.h"

namespace mezu {

class ProgressWindowSystem final : public HeadlessWindowSystem {
public:
    // With `out` null, nothing is shown and the yield returns at once.
    static constexpr std::chrono::milliseconds kProgressInterval{100};

    explicit ProgressWindowSystem(std::ostream* out)
        : out_(out)
    {
    }

    // The lists whose counts the progress line shows; borrowed, may be set after construction.
    void watch(const WindowLists& lists) { lists_ = &lists; }
    void yield() override;
    // Removes the progress line, if one is shown.
    void finish();

private:
    std::ostream* out_;
    const WindowLists* lists_ = nullptr;
    YieldThrottle throttle_{kProgressInterval};
    bool shown_ = false;
};

}  // namespace mezu
