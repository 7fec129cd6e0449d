// SPDX-License-Identifier: MIT
#include "platform/reader_gate.h"

#include <algorithm>
#include <bit>
#include <thread>

namespace mezu {

ReaderGate::ReaderGate(unsigned most, unsigned cores, Disk disk)
    : most_(std::max(most, 1U)),
      cores_(std::clamp(cores, 1U, most_)),
      disk_(disk),
      open_(cores_)
{
}

bool ReaderGate::waited(std::chrono::nanoseconds took, std::size_t entries)
{
    return took > kWait + kWaitPerEntry * static_cast<std::chrono::microseconds::rep>(entries);
}

bool ReaderGate::noteRead(std::chrono::nanoseconds took, std::size_t entries)
{
    const bool slow = waited(took, entries);
    recentSlowReads_ = (recentSlowReads_ << 1) | (slow ? 1U : 0U);
    ++readsAtWidth_;
    quickReads_ = slow ? 0 : quickReads_ + 1;
    if (quickReads_ >= kQuickReadsToNarrow && open_ != cores_) {
        open_ = cores_;
        readsAtWidth_ = 0;
        return false;
    }
    if (!slow || std::popcount(recentSlowReads_) < kSlowReadsToWiden) {
        return false;
    }
    if (disk_ == Disk::Spinning) {
        open_ = 1;
        readsAtWidth_ = 0;
        return false;
    }
    if (open_ == most_ || readsAtWidth_ < static_cast<int>(open_)) {
        return false;
    }
    open_ = std::min(most_, open_ * 2);
    readsAtWidth_ = 0;
    return true;
}

unsigned coresOfThisMachine()
{
    return std::max(std::thread::hardware_concurrency(), 1U);
}

}  // namespace mezu
