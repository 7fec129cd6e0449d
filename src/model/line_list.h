// SPDX-License-Identifier: MIT
// An ordered list of text lines, the storage behind every list control of the main window.
// Lines are addressed by 0-based index; appending always adds at the end and the list never
// reorders itself. There is no line limit: a large tree must never lose lines silently.
//
// A line may carry a tag for its owner, what the line stands for (a result line: the index of the
// measurement it reports), which moves with the line, so that what a line means never has to be
// read back out of its text.
//
// A view tells what changed since it last looked from two figures: `edits()` counts every
// change other than an append (each clear and each replaced line), and appends only raise
// `count()`. With the same edit count as before, the lines it shows are still the first lines
// of the list and only the new ones need adding; with another, it must show the list afresh.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace mezu {

class LineList {
public:
    static constexpr std::uint32_t kNoTag = 0xFFFFFFFF;

    void clear()
    {
        lines_.clear();
        tags_.clear();
        ++edits_;
    }
    void add(std::string line, std::uint32_t tag = kNoTag);
    // Makes room for `lines` lines in all, so that adding up to them moves none.
    void reserve(std::size_t lines) { lines_.reserve(lines); }
    std::size_t count() const { return lines_.size(); }
    // Throws std::out_of_range for an index at or past count().
    const std::string& line(std::size_t index) const { return lines_.at(index); }
    // The tag of line `index`, kNoTag for an untagged line or an index past the end.
    std::uint32_t tag(std::size_t index) const { return index < tags_.size() ? tags_[index] : kNoTag; }
    // Throws std::out_of_range for an index at or past count(); the line keeps its tag.
    void set(std::size_t index, std::string text)
    {
        lines_.at(index) = std::move(text);
        ++edits_;
    }
    // Puts line order[i] at index i with its tag, moving the lines rather than copying them; one edit when
    // any line moves, none when the order is the same. Throws std::invalid_argument, changing
    // nothing, when `order` is not an ordering of every index of the list.
    void reorder(const std::vector<std::size_t>& order);
    // The line at `index`, or an empty text when the list is shorter.
    std::string lineOrEmpty(std::size_t index) const;
    const std::vector<std::string>& lines() const { return lines_; }
    std::uint64_t edits() const { return edits_; }

private:
    std::vector<std::string> lines_;
    // The tags of the first lines; empty until a tagged line is added, so that lists of
    // untagged lines keep none.
    std::vector<std::uint32_t> tags_;
    std::uint64_t edits_ = 0;
};

// Follows a LineList for a view that shows it, from the two figures above: what the view must
// do to show the list as it stands.
class LineListFollower {
public:
    // Borrows `lines`, which outlives the follower; the view has shown none of them yet.
    explicit LineListFollower(const LineList& lines)
        : lines_(lines),
          shownEdits_(lines.edits())
    {
    }

    struct Update {
        bool afresh = false;    // show the whole list anew
        std::size_t first = 0;  // else show lines first to count - 1, appended since (none if equal)
        std::size_t count = 0;  // lines in the list now
    };
    // Lines the view shows, as of the last call.
    std::size_t shown() const { return shownCount_; }
    // What changed since the last call (or since construction); the view is taken to do it.
    Update catchUp()
    {
        Update update;
        update.count = lines_.count();
        update.afresh = lines_.edits() != shownEdits_ || update.count < shownCount_;
        update.first = update.afresh ? 0 : shownCount_;
        shownEdits_ = lines_.edits();
        shownCount_ = update.count;
        return update;
    }

private:
    const LineList& lines_;
    std::uint64_t shownEdits_;
    std::size_t shownCount_ = 0;
};

}  // namespace mezu
