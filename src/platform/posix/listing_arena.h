// Memory for the listings one thread reads during a command. It is taken from the system in
// large blocks, already paged in, and handed out without per-object bookkeeping; everything
// goes back at once when the arena goes. Not thread-safe: each thread uses its own arena.
#pragma once

#include <algorithm>
#include <cstddef>
#include <new>
#include <type_traits>
#include <utility>
#include <vector>

namespace mezu::posix {

class ListingArena {
public:
    ListingArena() = default;
    ~ListingArena();
    ListingArena(const ListingArena&) = delete;
    ListingArena& operator=(const ListingArena&) = delete;

    // `bytes` of memory aligned for any object, valid until the arena goes. Throws
    // std::bad_alloc when the system has no memory left.
    void* allocate(std::size_t bytes);

    // Copies `count` objects (trivially copyable) into the arena.
    template <typename T>
    T* copy(const T* source, std::size_t count)
    {
        static_assert(std::is_trivially_copyable_v<T>);
        if (count == 0) {
            return nullptr;
        }
        T* target = static_cast<T*>(allocate(sizeof(T) * count));
        std::copy(source, source + count, target);
        return target;
    }

    template <typename T, typename... Args>
    T* create(Args&&... args)
    {
        static_assert(std::is_trivially_destructible_v<T>, "the arena runs no destructors");
        return new (allocate(sizeof(T))) T{std::forward<Args>(args)...};
    }

private:
    struct Block {
        void* start;
        std::size_t size;
    };
    void* mapBlock(std::size_t size);

    std::vector<Block> blocks_;
    char* next_ = nullptr;
    std::size_t left_ = 0;
};

}  // namespace mezu::posix
