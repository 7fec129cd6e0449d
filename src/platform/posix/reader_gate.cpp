#include "platform/posix/reader_gate.h"

#include <algorithm>
#include <bit>
#include <thread>

namespace mezu::posix {

static_assert(ReaderGate::kRecentReads == 64, "the latest reads are the bits of a 64-bit word");

ReaderGate::ReaderGate(unsigned readers, unsigned busyReaders)
    : readers_(readers), busyReaders_(std::clamp(busyReaders, 1u, std::max(readers, 1u))), open_(busyReaders_)
{
}

bool ReaderGate::noteRead(std::chrono::nanoseconds took, std::size_t entries)
{
    const std::chrono::nanoseconds quick =
        kDiskWait + kWaitPerEntry * static_cast<std::chrono::microseconds::rep>(entries);
    recentSlowReads_ = (recentSlowReads_ << 1) | (took > quick ? 1 : 0);
    if (recentSlowReads_ == 0) {
        open_ = busyReaders_;
        return false;
    }
    if (open_ < readers_ && std::popcount(recentSlowReads_) >= kSlowReadsToOpen) {
        open_ = readers_;
        return true;
    }
    return false;
}

unsigned busyReaderThreads()
{
    const unsigned cores = std::thread::hardware_concurrency();
    return cores > 1 ? cores - 1 : 1;
}

}  // namespace mezu::posix
