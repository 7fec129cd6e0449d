// SPDX-License-Identifier: MIT
// The largest files a walk counts: the N largest by what they count in the measurement, ties in
// the text order of their paths. Memory follows N, not the tree: a file is kept only while it
// is among the N, and its path is built only when it gets in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/file_observer.h"

namespace mezu {

struct ListedFile {
    ByteTotal counted = 0;  // as the measurement counts it
    std::uint64_t length = 0;
    std::int64_t modified = kUnknownTime;
    std::string path;        // drive path of the file
    std::size_t nameAt = 0;  // where its name begins in `path`
    std::string directory() const;
    std::string name() const { return path.substr(nameAt); }
};

class LargestFiles final : public FileObserver {
public:
    static constexpr std::size_t kDefaultCount = 100;

    explicit LargestFiles(std::size_t count = kDefaultCount);
    void file(const File& file) override;

    // Largest first; equal sizes in the text order of their paths.
    std::vector<ListedFile> largestFirst() const;
    // Every file the walk counted, whether kept or not.
    std::uint64_t examined() const { return examined_; }
    ByteTotal examinedBytes() const { return examinedBytes_; }

private:
    std::size_t count_;
    // A heap whose front is the file that leaves first: the smallest, the last by path among equals.
    std::vector<ListedFile> kept_;
    std::uint64_t examined_ = 0;
    ByteTotal examinedBytes_ = 0;
    // The path of the directory whose file tied last, built once for all its files: a tree of
    // files of one size ties at nearly every file.
    std::uint64_t tiedSerial_ = 0;
    std::string tiedDirectory_;
};

}  // namespace mezu
