// SPDX-License-Identifier: MIT
#include "model/line_list.h"

#include <gtest/gtest.h>

#include "model/path_text.h"

namespace mezu {
namespace {

TEST(LineListTest, KeepsLinesInOrderOfAdditionAndReplacesInPlace)
{
    LineList list;
    list.add("b");
    list.add("a");
    list.add("");
    list.add("a");
    ASSERT_EQ(list.count(), 4u);
    EXPECT_EQ(list.line(0), "b");
    EXPECT_EQ(list.line(1), "a");
    EXPECT_EQ(list.line(2), "");
    list.set(0, "z");
    EXPECT_EQ(list.line(0), "z");
    EXPECT_EQ(list.count(), 4u);
    EXPECT_EQ(list.lineOrEmpty(3), "a");
    EXPECT_EQ(list.lineOrEmpty(4), "");
    EXPECT_THROW(list.line(4), std::out_of_range);
    list.clear();
    EXPECT_EQ(list.count(), 0u);
}

TEST(LineListTest, EveryChangeButAnAppendCountsAsAnEdit)
{
    LineList list;
    const std::uint64_t start = list.edits();
    list.add("a");
    list.add("b");
    EXPECT_EQ(list.edits(), start);
    list.set(1, "b");  // even a line replaced by its own text: a view cannot tell it from a change
    EXPECT_EQ(list.edits(), start + 1);
    list.clear();
    list.add("a");
    list.add("b");
    EXPECT_EQ(list.edits(), start + 2);
}

TEST(LineListTest, ReorderMovesLinesAndRefusesWhatIsNoOrdering)
{
    using Order = std::vector<std::size_t>;
    struct Case {
        Order order;
        std::vector<std::string> expected;  // empty: refused
        std::uint64_t edits;
    };
    const std::vector<std::string> lines{"a", "b", "c"};
    for (const Case& c : {Case{{2, 0, 1}, {"c", "a", "b"}, 1}, Case{{0, 1, 2}, lines, 0}, Case{{0, 0, 1}, {}, 0},
                          Case{{0, 1}, {}, 0}, Case{{0, 1, 3}, {}, 0}}) {
        LineList list;
        for (const std::string& line : lines) {
            list.add(line);
        }
        const std::uint64_t start = list.edits();
        if (c.expected.empty()) {
            EXPECT_THROW(list.reorder(c.order), std::invalid_argument);
            EXPECT_EQ(list.lines(), lines) << "a refused order changes nothing";
        } else {
            list.reorder(c.order);
            EXPECT_EQ(list.lines(), c.expected);
        }
        EXPECT_EQ(list.edits(), start + c.edits);
    }
}

TEST(LineListTest, TagsStayWithTheirLines)
{
    LineList list;
    list.add("untagged");
    list.add("seven", 7);
    list.add("nine", 9);
    list.set(1, "seven again");
    list.reorder({2, 0, 1});
    EXPECT_EQ(list.lines(), (std::vector<std::string>{"nine", "untagged", "seven again"}));
    EXPECT_EQ((std::vector<std::uint32_t>{list.tag(0), list.tag(1), list.tag(2), list.tag(3)}),
              (std::vector<std::uint32_t>{9, LineList::kNoTag, 7, LineList::kNoTag}));
    list.clear();
    list.add("after");
    EXPECT_EQ(list.tag(0), LineList::kNoTag);
}

TEST(LineListTest, HoldsMoreThanSixteenBitsOfLines)
{
    LineList list;
    constexpr std::size_t kLines = 40000;
    for (std::size_t i = 0; i < kLines; ++i) {
        list.add(std::to_string(i));
    }
    ASSERT_EQ(list.count(), kLines);
    EXPECT_EQ(list.line(kLines - 1), std::to_string(kLines - 1));
    EXPECT_EQ(list.line(32767), "32767");
}

TEST(LineListTest, AFollowerAddsWhatWasAppendedAndShowsAnythingElseAfresh)
{
    LineList list;
    list.add("before");
    LineListFollower follower{list};
    using Update = LineListFollower::Update;
    const auto same = [](const Update& a, const Update& b) {
        return a.afresh == b.afresh && a.first == b.first && a.count == b.count;
    };
    EXPECT_TRUE(same(follower.catchUp(), Update{false, 0, 1})) << "nothing shown yet";
    EXPECT_TRUE(same(follower.catchUp(), Update{false, 1, 1})) << "nothing new";
    list.add("a");
    list.add("b");
    EXPECT_TRUE(same(follower.catchUp(), Update{false, 1, 3}));
    list.set(0, "replaced");
    EXPECT_TRUE(same(follower.catchUp(), Update{true, 0, 3}));
    list.reorder({2, 1, 0});
    list.add("c");
    EXPECT_TRUE(same(follower.catchUp(), Update{true, 0, 4})) << "an edit and an append";
    list.clear();
    EXPECT_TRUE(same(follower.catchUp(), Update{true, 0, 0}));
}

}  // namespace
}  // namespace mezu
