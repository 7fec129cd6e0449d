// Tunes the C library's heap for a program that builds lists of a whole tree. Call it first
// thing in main, before any thread starts; it changes nothing but how memory is obtained.
#pragma once

namespace mezu::posix {

// Large blocks (a list of many thousand lines, growing by doubling) come from the heap, and
// freed memory stays there for the next block, instead of each block being mapped afresh and
// unmapped when freed: every page touched for the first time costs a fault, which on a virtual
// machine can cost more than the work done on the page. The peak use barely changes. False
// when the C library does not take these settings (it then works as before).
bool keepLargeBlocksInTheHeap();

}  // namespace mezu::posix
