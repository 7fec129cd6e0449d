// SPDX-License-Identifier: MIT
// Tunes the C library's heap for mezu's walks. Call it first thing in main, before any thread
// starts; it changes nothing but how memory is obtained.
#pragma once

namespace mezu::posix {

// Large blocks (the report's lines of a survey of many thousand directories, growing by
// doubling) come from the heap, and freed memory stays there for the next block, instead of
// each block being mapped afresh and unmapped when freed (a page fault costs more than the work
// done on most pages). The threads that read a walk's directories, up to 64, share two heaps
// rather than take one each, which would keep a heap's pages for every one. False when the C
// library does not take these settings (it then works as before).
bool keepLargeBlocksInTheHeap();

}  // namespace mezu::posix
