// SPDX-License-Identifier: MIT
// Decides, cheaply, when a window system's yield should hand over (to an event loop, or to a
// progress line). A survey yields after every directory entry, often well under a microsecond
// apart, so even reading the clock at each yield would cost a tenth of the survey: while the
// yields come quickly the clock is read only every 16th, and at each one again as soon as they
// slow down. A hand-over is due once `interval` has passed since the last one.
#pragma once

#include <chrono>
#include <functional>

namespace mezu {

class YieldThrottle {
public:
    using Clock = std::function<std::chrono::nanoseconds()>;

    // The steady clock, as time since its epoch.
    static std::chrono::nanoseconds steadyNow();

    // With `interval` zero every call is due.
    explicit YieldThrottle(std::chrono::nanoseconds interval, Clock now = steadyNow);

    // Called at every yield: true when the caller should hand over now. The first check is
    // always due.
    bool due();
    // Tells that the hand-over is done; the interval counts from here.
    void handedOver();

private:
    void adaptStride(std::chrono::nanoseconds sinceLastCheck);

    std::chrono::nanoseconds interval_;
    Clock now_;
    int stride_ = 1;  // calls between two clock reads, 1 to 16
    int callsSinceCheck_ = 0;
    std::chrono::nanoseconds lastCheck_{};
    std::chrono::nanoseconds lastHandOver_{};
    bool handedOverOnce_ = false;
};

}  // namespace mezu
