// SPDX-License-Identifier: MIT
// The work list of a walk: a start path, then the directories below it, each kept as the entry
// of its parent and its own name. A tree of any depth takes memory in proportion to its
// directories (16 bytes each and its name), not to the length of their paths; a full path is
// built only when asked for.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace mezu {

class DirectoryList {
public:
    static constexpr std::size_t kNoParent = static_cast<std::size_t>(-1);

    void clear();
    // Drops the entries from `count` on, so that a walk that needs only the way down to where it
    // is can keep the list that short; nothing when there are no more.
    void keepFirst(std::size_t count);
    // Appends a directory given by its full path, kept exactly as given; returns its index.
    std::size_t add(std::string_view path);
    // Appends a subdirectory of entry `parent`; returns its index.
    std::size_t addChild(std::size_t parent, std::string_view name);

    std::size_t count() const { return entries_.size(); }
    // The entry whose subdirectory `index` is; kNoParent for one added by its full path.
    std::size_t parent(std::size_t index) const
    {
        const std::uint32_t parent = entries_.at(index).parent;
        return parent == kNoEntry ? kNoParent : parent;
    }
    // The name below its parent; the full path for an entry added by it.
    std::string_view name(std::size_t index) const;
    // The full path: the parent's, then "\" unless that ends with one, then the name. Throws
    // std::out_of_range for an index at or past count().
    std::string line(std::size_t index) const;
    // Every full path, in order.
    std::vector<std::string> lines() const;

private:
    static constexpr std::uint32_t kNoEntry = 0xFFFFFFFF;
    struct Entry {
        std::uint64_t offset;  // of the name in names_
        std::uint32_t parent;  // kNoEntry for one added by its full path
        std::uint32_t length;
    };
    void append(std::uint32_t parent, std::string_view name);

    std::vector<Entry> entries_;
    std::string names_;
};

}  // namespace mezu
