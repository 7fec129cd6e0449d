// Tunes the C library's heap for a program that builds lists of a whole tree. Call it first
// thing in main, before any thread starts; it changes nothing but how memory is obtained.
#pragma once

namespace mezu::posix {

// Large blocks (a list of many thousand lines, growing by doubling) come from the heap, and
// freed memory stays there for the next block, instead of each block being mapped afresh and
// unmapped when freed. The first 14 MiB of the heap are also offered to the kernel for huge pages,
// where the system offers them on request: each 2 MiB touched then costs one page fault
// instead of 512. A fault can cost more than the work done on its page (16 µs each on a
// virtual machine measured); memory never touched is still never taken. False when the C
// library does not take these settings (it then works as before).
bool keepLargeBlocksInTheHeap();

}  // namespace mezu::posix
