#include "platform/posix/heap_tuning.h"

#include <cstdint>
#include <cstdlib>  // defines __GLIBC__ with the GNU C library

#if defined(__GLIBC__)
#include <malloc.h>
#include <sys/mman.h>
#endif

namespace mezu::posix {
namespace {

// Blocks below this come from the heap (the most the C library takes); it is also how much free
// memory at the heap's top is kept rather than given back. Only larger blocks are mapped.
constexpr int kHeapBlockLimit = 32 * 1024 * 1024;
// The part of the heap offered for huge pages: below kHeapBlockLimit, so that it is taken from
// the heap and kept there once freed; about what a survey of ten thousand directories builds.
// Beyond it the heap grows in ordinary pages: a huge page partly used is still resident whole,
// which would add up to megabytes to a large survey's peak memory.
constexpr std::size_t kHugePageHeap = 14 * 1024 * 1024;
constexpr std::uintptr_t kHugePage = 2 * 1024 * 1024;

}  // namespace

bool keepLargeBlocksInTheHeap()
{
#if defined(__GLIBC__)
    if (::mallopt(M_MMAP_THRESHOLD, kHeapBlockLimit) != 1 || ::mallopt(M_TRIM_THRESHOLD, kHeapBlockLimit) != 1) {
        return false;
    }
    // A block taken at the top of the heap and freed again falls back into its top, where the
    // allocations that follow are carved from: the advice stays on the pages they use. Nothing
    // is touched here, and the advice is only a request (refused where huge pages are off).
    if (void* block = std::malloc(kHugePageHeap)) {
        const auto start = (reinterpret_cast<std::uintptr_t>(block) + kHugePage - 1) & ~(kHugePage - 1);
        const auto end = (reinterpret_cast<std::uintptr_t>(block) + kHugePageHeap) & ~(kHugePage - 1);
        if (end > start) {
            ::madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
        }
        std::free(block);
    }
    return true;
#else
    return false;
#endif
}

}  // namespace mezu::posix
