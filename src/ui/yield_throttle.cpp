// SPDX-License-Identifier: MIT
#include "ui/yield_throttle.h"

#include <utility>

namespace mezu {
namespace {

// A longer stride would save little more, and yields that suddenly come slowly (a directory
// read on a slow disk between two of them) would delay a hand-over by a whole stride of them.
constexpr int kLongestStride = 16;
constexpr std::chrono::nanoseconds kQuick = std::chrono::microseconds{100};
constexpr std::chrono::nanoseconds kSlow = std::chrono::milliseconds{1};

}  // namespace

std::chrono::nanoseconds YieldThrottle::steadyNow()
{
    return std::chrono::steady_clock::now().time_since_epoch();
}

YieldThrottle::YieldThrottle(std::chrono::nanoseconds interval, Clock now)
    : interval_(interval),
      now_(std::move(now))
{
}

bool YieldThrottle::due()
{
    if (interval_.count() == 0) {
        return true;
    }
    if (++callsSinceCheck_ < stride_) {
        return false;
    }
    callsSinceCheck_ = 0;
    const std::chrono::nanoseconds now = now_();
    if (handedOverOnce_) {
        adaptStride(now - lastCheck_);
    }
    lastCheck_ = now;
    return !handedOverOnce_ || now - lastHandOver_ >= interval_;
}

void YieldThrottle::handedOver()
{
    handedOverOnce_ = true;
    if (interval_.count() != 0) {
        lastHandOver_ = now_();
        lastCheck_ = lastHandOver_;
    }
}

void YieldThrottle::adaptStride(std::chrono::nanoseconds sinceLastCheck)
{
    if (sinceLastCheck < kQuick && stride_ < kLongestStride) {
        stride_ *= 2;
    } else if (sinceLastCheck > kSlow) {
        stride_ = 1;
    }
}

}  // namespace mezu
