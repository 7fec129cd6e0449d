// SPDX-License-Identifier: MIT
#include "model/directory_list.h"

#include <stdexcept>

#include "model/path_text.h"

namespace mezu {

void DirectoryList::clear()
{
    entries_.clear();
    names_.clear();
}

void DirectoryList::keepFirst(std::size_t count)
{
    if (count < entries_.size()) {
        names_.resize(entries_[count].offset);
        entries_.resize(count);
    }
}

void DirectoryList::append(std::uint32_t parent, std::string_view name)
{
    if (entries_.size() >= kNoEntry || name.size() >= kNoEntry) {
        throw std::length_error("directory list: more directories than it can hold");
    }
    entries_.push_back({names_.size(), parent, static_cast<std::uint32_t>(name.size())});
    names_ += name;
}

std::size_t DirectoryList::add(std::string_view path)
{
    append(kNoEntry, path);
    return entries_.size() - 1;
}

std::size_t DirectoryList::addChild(std::size_t parent, std::string_view name)
{
    if (parent >= entries_.size()) {
        throw std::out_of_range("directory list: no entry " + std::to_string(parent));
    }
    append(static_cast<std::uint32_t>(parent), name);
    return entries_.size() - 1;
}

std::string_view DirectoryList::name(std::size_t index) const
{
    const Entry& entry = entries_.at(index);
    return std::string_view{names_}.substr(entry.offset, entry.length);
}

std::string DirectoryList::line(std::size_t index) const
{
    std::vector<std::size_t> chain;
    std::size_t size = 0;
    for (std::size_t at = index; at != kNoParent; at = parent(at)) {
        chain.push_back(at);
        size += entries_.at(at).length + 1;
    }
    std::string path;
    path.reserve(size);
    for (auto at = chain.rbegin(); at != chain.rend(); ++at) {
        if (!path.empty() && path.back() != kPathSeparator) {
            path += kPathSeparator;
        }
        path += name(*at);
    }
    return path;
}

std::vector<std::string> DirectoryList::lines() const
{
    std::vector<std::string> paths;
    paths.reserve(entries_.size());
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        paths.push_back(line(i));
    }
    return paths;
}

}  // namespace mezu
