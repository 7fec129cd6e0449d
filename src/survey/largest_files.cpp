// SPDX-License-Identifier: MIT
#include "survey/largest_files.h"

#include <algorithm>

#include "model/path_text.h"

namespace mezu {
namespace {

// Whether `a` comes before `b` in the report.
bool ranksBefore(const ListedFile& a, const ListedFile& b)
{
    return a.counted != b.counted ? a.counted > b.counted : a.path < b.path;
}

ListedFile listed(const FileObserver::File& file)
{
    std::string directory = file.directories.line(file.directory);
    const std::size_t nameAt = withTrailingSeparator(directory).size();
    return {file.counted, file.figures.length, file.figures.modified, childPath(directory, file.name), nameAt};
}

}  // namespace

std::string ListedFile::directory() const
{
    std::string parent = path.substr(0, nameAt);
    // A drive's root keeps its separator ("C:\"); any other directory is named without one.
    if (parent.size() > 3 && parent.back() == '\\') {
        parent.pop_back();
    }
    return parent;
}

LargestFiles::LargestFiles(std::size_t count)
    : count_(count)
{
    kept_.reserve(std::min<std::size_t>(count, 4096));
}

void LargestFiles::file(const File& file)
{
    ++examined_;
    examinedBytes_ += file.counted;
    if (count_ == 0) {
        return;
    }
    if (kept_.size() < count_) {
        kept_.push_back(listed(file));
        std::push_heap(kept_.begin(), kept_.end(), ranksBefore);
        return;
    }
    const ListedFile& leaving = kept_.front();
    // Most files are smaller than the smallest kept: decided without building a path.
    if (file.counted < leaving.counted) {
        return;
    }
    ListedFile candidate = listed(file);
    if (!ranksBefore(candidate, leaving)) {
        return;
    }
    std::pop_heap(kept_.begin(), kept_.end(), ranksBefore);
    kept_.back() = std::move(candidate);
    std::push_heap(kept_.begin(), kept_.end(), ranksBefore);
}

std::vector<ListedFile> LargestFiles::largestFirst() const
{
    std::vector<ListedFile> files = kept_;
    std::sort(files.begin(), files.end(), ranksBefore);
    return files;
}

}  // namespace mezu
