// SPDX-License-Identifier: MIT
// How many threads read directories at once. While directories come from memory the work is all
// CPU, and threads beyond the cores only take turns on them; while reads wait for a disk or a
// network, every thread keeps a request in flight, and the more in flight the sooner a slow
// device or a share with a long round trip is done. So the gate lets in as many threads as there
// are cores, doubles that each time several reads since it last widened waited, up to the most
// allowed, and narrows to the cores again after a run of reads that did not wait. One slow read
// alone proves nothing: a thread the system keeps waiting for a core is slow as well. It judges
// by what the reads show, not by the name of the file system. On a spinning disk, where reads in
// parallel make the head seek, the gate does the opposite: the cores read while reads come from
// memory, one thread while they wait for the disk.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>

namespace mezu {

class ReaderGate {
public:
    // A read slower than this, plus kWaitPerEntry for each of its entries, waited: from memory
    // a small directory takes some ten microseconds, an entry's lstat one or two.
    static constexpr std::chrono::microseconds kWait{200};
    static constexpr std::chrono::microseconds kWaitPerEntry{10};
    // This many slow reads among the latest kRecentReads widen it, once as many reads have
    // been made at its width as it lets threads in (each had its turn); kQuickReadsToNarrow
    // quick ones in a row narrow it to the cores again.
    static constexpr int kRecentReads = 64;
    static constexpr int kSlowReadsToWiden = 8;
    static constexpr int kQuickReadsToNarrow = 4096;

    enum class Disk { Any, Spinning };

    // At most `most` threads read at once, the walker included; `cores` of them (at least one,
    // at most `most`) keep the cores busy. The gate starts at the cores.
    ReaderGate(unsigned most, unsigned cores, Disk disk = Disk::Any);

    // How many threads may read now: the walker and readers ranked 1 to open() - 1.
    unsigned open() const { return open_; }
    unsigned most() const { return most_; }
    unsigned cores() const { return cores_; }
    // Whether a directory read (opening included) that took `took` and listed `entries` waited
    // for its device.
    static bool waited(std::chrono::nanoseconds took, std::size_t entries);
    // Notes a directory read (opening included) that took `took` and listed `entries`. True
    // when the gate widened, so that waiting readers should look again.
    bool noteRead(std::chrono::nanoseconds took, std::size_t entries);

private:
    unsigned most_;
    unsigned cores_;
    Disk disk_;
    unsigned open_;
    std::uint64_t recentSlowReads_ = 0;  // a bit for each of the latest reads, set when it was slow
    int readsAtWidth_ = 0;               // since the gate last changed
    int quickReads_ = 0;                 // in a row
};

// The cores of this machine, at least one.
unsigned coresOfThisMachine();

}  // namespace mezu
