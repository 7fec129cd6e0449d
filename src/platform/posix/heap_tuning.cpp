// SPDX-License-Identifier: MIT
#include "platform/posix/heap_tuning.h"

#include <cstdlib>  // defines __GLIBC__ with the GNU C library

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace mezu::posix {
namespace {

// Blocks below this come from the heap (the most the C library takes); it is also how much free
// memory at the heap's top is kept rather than given back. Only larger blocks are mapped.
constexpr int kHeapBlockLimit = 32 * 1024 * 1024;
// Heaps for all threads: the walker's and one more for the readers to share, whose allocations
// are one or two for each directory read.
constexpr int kHeaps = 2;

}  // namespace

bool keepLargeBlocksInTheHeap()
{
#if defined(__GLIBC__)
    return ::mallopt(M_MMAP_THRESHOLD, kHeapBlockLimit) == 1 && ::mallopt(M_TRIM_THRESHOLD, kHeapBlockLimit) == 1 &&
           ::mallopt(M_ARENA_MAX, kHeaps) == 1;
#else
    return false;
#endif
}

}  // namespace mezu::posix
