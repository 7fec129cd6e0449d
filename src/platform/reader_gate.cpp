#include "platform/reader_gate.h"

#include <algorithm>
#include <thread>

namespace mezu {

ReaderGate::ReaderGate(unsigned most, unsigned cores, Disk disk)
    : most_(std::max(most, 1U)), cores_(std::clamp(cores, 1U, most_)), disk_(disk), open_(cores_)
{
}

bool ReaderGate::noteRead(std::chrono::nanoseconds took, std::size_t entries)
{
    const std::chrono::nanoseconds quick = kWait + kWaitPerEntry * static_cast<std::chrono::microseconds::rep>(entries);
    if (took <= quick) {
        slowReads_ = 0;
        if (++quickReads_ >= kQuickReadsToNarrow) {
            open_ = cores_;
        }
        return false;
    }
    quickReads_ = 0;
    if (disk_ == Disk::Spinning) {
        if (++slowReads_ >= kSlowReadsToWiden) {
            open_ = 1;
        }
        return false;
    }
    if (++slowReads_ < kSlowReadsToWiden || open_ == most_) {
        return false;
    }
    slowReads_ = 0;
    open_ = std::min(most_, open_ * 2);
    return true;
}

unsigned coresOfThisMachine()
{
    return std::max(std::thread::hardware_concurrency(), 1U);
}

}  // namespace mezu
