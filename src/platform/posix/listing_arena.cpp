#include "platform/posix/listing_arena.h"

#include <sys/mman.h>

namespace mezu::posix {
namespace {

constexpr std::size_t kBlockBytes = std::size_t{1} << 20;
constexpr std::size_t kLargestShared = kBlockBytes / 4;
constexpr std::size_t kPageBytes = 4096;
constexpr std::size_t kAlignment = alignof(std::max_align_t);

std::size_t alignedUp(std::size_t bytes, std::size_t alignment)
{
    return (bytes + alignment - 1) & ~(alignment - 1);
}

}  // namespace

ListingArena::~ListingArena()
{
    for (const Block& block : blocks_) {
        ::munmap(block.start, block.size);
    }
}

void* ListingArena::allocate(std::size_t bytes)
{
    bytes = alignedUp(bytes, kAlignment);
    if (bytes > kLargestShared) {
        // A huge directory gets a block of its own, so the current block is not cut short.
        return mapBlock(alignedUp(bytes, kPageBytes));
    }
    if (bytes > left_) {
        next_ = static_cast<char*>(mapBlock(kBlockBytes));
        left_ = kBlockBytes;
    }
    void* result = next_;
    next_ += bytes;
    left_ -= bytes;
    return result;
}

void* ListingArena::mapBlock(std::size_t size)
{
    // Paged in with the mapping: one system call instead of a fault for every page.
    void* start = ::mmap(nullptr, size, PROT_READ | PROT_WRITE,
                         MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
    if (start == MAP_FAILED) {
        throw std::bad_alloc{};
    }
    blocks_.push_back(Block{start, size});
    return start;
}

}  // namespace mezu::posix
