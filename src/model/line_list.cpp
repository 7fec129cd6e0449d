// SPDX-License-Identifier: MIT
#include "model/line_list.h"

#include <stdexcept>

namespace mezu {

void LineList::add(std::string line, std::uint32_t tag)
{
    if (tag != kNoTag || !tags_.empty()) {
        tags_.resize(lines_.size(), kNoTag);
        tags_.push_back(tag);
    }
    lines_.push_back(std::move(line));
}

std::string LineList::lineOrEmpty(std::size_t index) const
{
    return index < lines_.size() ? lines_[index] : std::string{};
}

void LineList::reorder(const std::vector<std::size_t>& order)
{
    std::vector<bool> taken(lines_.size(), false);
    bool moved = false;
    if (order.size() != lines_.size()) {
        throw std::invalid_argument("line list: the order has " + std::to_string(order.size()) + " places for " +
                                    std::to_string(lines_.size()) + " lines");
    }
    for (std::size_t i = 0; i < order.size(); ++i) {
        if (order[i] >= lines_.size() || taken[order[i]]) {
            throw std::invalid_argument("line list: the order names line " + std::to_string(order[i]) +
                                        " twice or past the end");
        }
        taken[order[i]] = true;
        moved = moved || order[i] != i;
    }
    if (!moved) {
        return;
    }
    if (!tags_.empty()) {
        tags_.resize(lines_.size(), kNoTag);
        std::vector<std::uint32_t> tags(tags_.size());
        for (std::size_t i = 0; i < order.size(); ++i) {
            tags[i] = tags_[order[i]];
        }
        tags_ = std::move(tags);
    }
    // Each cycle of the ordering in turn, in place: no second list of lines is needed.
    std::vector<bool> placed(lines_.size(), false);
    for (std::size_t start = 0; start < lines_.size(); ++start) {
        if (placed[start]) {
            continue;
        }
        std::string first = std::move(lines_[start]);
        std::size_t at = start;
        while (order[at] != start) {
            lines_[at] = std::move(lines_[order[at]]);
            placed[at] = true;
            at = order[at];
        }
        lines_[at] = std::move(first);
        placed[at] = true;
    }
    ++edits_;
}

}  // namespace mezu
