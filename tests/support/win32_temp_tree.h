// SPDX-License-Identifier: MIT
// A directory tree built for one Windows test in a fresh directory under the system's temporary
// directory and removed with it, whatever attributes its entries were given. Paths given to the
// builders are relative to the root, with "/" between names; paths may exceed MAX_PATH.
#pragma once

#include <cstdint>
#include <string>

namespace mezu::test {

class Win32TempTree {
public:
    Win32TempTree();
    ~Win32TempTree();
    Win32TempTree(const Win32TempTree&) = delete;
    Win32TempTree& operator=(const Win32TempTree&) = delete;

    // The root as an ordinary system path in UTF-8 ("C:\...\mezu-test-...").
    const std::string& root() const { return root_; }
    std::string path(const std::string& relative) const;

    void dir(const std::string& relative);
    // Removes an entry and everything below it.
    void remove(const std::string& relative);
    // A file of exactly `length` bytes, sparse where the file system allows, so large files
    // cost no space.
    void file(const std::string& relative, std::uint64_t length);
    // Sets the system attribute bits (FILE_ATTRIBUTE_*) of an entry.
    void setAttributes(const std::string& relative, std::uint32_t attributes);
    // Nests directories named `name` below `relative` (which must exist) until the relative path
    // of the deepest is longer than `length` characters; returns that relative path.
    std::string chainLongerThan(const std::string& relative, const std::string& name, std::size_t length);

private:
    std::string root_;
};

}  // namespace mezu::test
