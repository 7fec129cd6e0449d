// How many reader threads read directories at once. While directories come from memory the
// work is all CPU, and threads beyond the cores only take turns on them (switching, spinning on
// locks); while reads wait for the disk, every thread keeps a request in flight. So the gate
// lets in as many readers as keep the cores busy, opens to all of them as soon as several of the
// latest reads waited for the disk, and narrows again after a run of reads that did not. One
// slow read alone proves nothing: a thread the system lets wait for a core is slow as well.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>

namespace mezu::posix {

class ReaderGate {
public:
    // A read slower than this, plus kWaitPerEntry for each of its entries, waited for the disk:
    // from memory a small directory takes some ten microseconds, an entry's lstat one or two.
    static constexpr std::chrono::microseconds kDiskWait{200};
    static constexpr std::chrono::microseconds kWaitPerEntry{10};
    // Of the latest kRecentReads reads, this many slow ones open the gate; as many quick ones in
    // a row narrow it again.
    static constexpr int kRecentReads = 64;
    static constexpr int kSlowReadsToOpen = 4;

    // `readers` threads in all, `busyReaders` of them (at least one, at most all) enough to keep
    // the cores busy. The gate starts narrow.
    ReaderGate(unsigned readers, unsigned busyReaders);

    // Readers ranked 1 to open() may read now.
    unsigned open() const { return open_; }
    // Notes a directory read (opening included) that took `took` and listed `entries`. True
    // when the gate opened wider, so that waiting readers should look again.
    bool noteRead(std::chrono::nanoseconds took, std::size_t entries);

private:
    unsigned readers_;
    unsigned busyReaders_;
    unsigned open_;
    std::uint64_t recentSlowReads_ = 0;  // a bit for each of the latest reads, set when it was slow
};

// Reader threads that keep the cores busy beside the walk's own thread: one fewer than the
// cores, at least one.
unsigned busyReaderThreads();

}  // namespace mezu::posix
