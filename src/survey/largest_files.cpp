// SPDX-License-Identifier: MIT
#include "survey/largest_files.h"

#include <algorithm>
#include <string_view>

#include "model/path_text.h"

namespace mezu {
namespace {

// Whether `a` comes before `b` in the report.
bool ranksBefore(const ListedFile& a, const ListedFile& b)
{
    return a.counted != b.counted ? a.counted > b.counted : a.path < b.path;
}

ListedFile listed(const FileObserver::File& file, std::string_view directory)
{
    std::string path = withTrailingSeparator(directory);
    const std::size_t nameAt = path.size();
    path += file.name;
    return {file.counted, file.figures.length, file.figures.modified, std::move(path), nameAt};
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
        kept_.push_back(listed(file, file.directories.line(file.directory)));
        std::push_heap(kept_.begin(), kept_.end(), ranksBefore);
        return;
    }
    const ListedFile& leaving = kept_.front();
    // Most files are smaller than the smallest kept: decided without building a path.
    if (file.counted < leaving.counted) {
        return;
    }
    if (file.counted == leaving.counted) {
        if (tiedDirectory_.empty() || tiedSerial_ != file.directorySerial) {
            tiedSerial_ = file.directorySerial;
            tiedDirectory_ = withTrailingSeparator(file.directories.line(file.directory));
        }
        // Compared as the paths would be, without building this one.
        const std::string_view kept = leaving.path;
        const std::size_t common = std::min(kept.size(), tiedDirectory_.size());
        const int order = kept.compare(0, common, tiedDirectory_, 0, common);
        const bool before = order != 0                            ? order > 0
                            : kept.size() > tiedDirectory_.size() ? kept.substr(tiedDirectory_.size()) > file.name
                                                                  : false;
        if (!before) {
            return;
        }
    }
    ListedFile candidate =
        listed(file, file.counted == leaving.counted ? tiedDirectory_ : file.directories.line(file.directory));
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
