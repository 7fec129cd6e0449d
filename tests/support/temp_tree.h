// SPDX-License-Identifier: MIT
// A directory tree built for one test in a fresh temporary directory and removed with it,
// including trees deeper than PATH_MAX. Paths given to the builders are relative to the root,
// with "/" between names.
#pragma once

#include <cstdint>
#include <string>

namespace mezu::test {

class TempTree {
public:
    TempTree();
    ~TempTree();
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    const std::string& root() const { return root_; }
    std::string path(const std::string& relative) const { return root_ + "/" + relative; }

    void dir(const std::string& relative);
    // A file of exactly `length` bytes; its content is a hole, so large files cost no space.
    void file(const std::string& relative, std::uint64_t length);
    void symlink(const std::string& target, const std::string& relative);
    // Removes an entry and everything below it.
    void remove(const std::string& relative);
    // Returns false when the system refuses to make a FIFO here.
    bool fifo(const std::string& relative);
    // Creates `levels` nested directories named `name` below `relative` (which must exist),
    // working relative to descriptors so the full path may exceed PATH_MAX, and puts a file of
    // `fileLength` bytes in the deepest one.
    void deepChain(const std::string& relative, const std::string& name, int levels, std::uint64_t fileLength);

private:
    std::string root_;
};

}  // namespace mezu::test
