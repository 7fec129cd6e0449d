// SPDX-License-Identifier: MIT
#include "model/directory_list.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace mezu {
namespace {

TEST(DirectoryListTest, FullPathsJoinTheStartTextAndTheNamesBelowIt)
{
    struct Case {
        std::string start;
        std::vector<std::string> expected;  // start, child "A", its child "B", then child "C"
    };
    const std::vector<Case> cases = {
        {"C:\\", {"C:\\", "C:\\A", "C:\\A\\B", "C:\\C"}},
        {"C:\\DOS", {"C:\\DOS", "C:\\DOS\\A", "C:\\DOS\\A\\B", "C:\\DOS\\C"}},
        {"C:\\DOS\\", {"C:\\DOS\\", "C:\\DOS\\A", "C:\\DOS\\A\\B", "C:\\DOS\\C"}},
    };
    for (const Case& test : cases) {
        DirectoryList list;
        const std::size_t start = list.add(test.start);
        const std::size_t a = list.addChild(start, "A");
        list.addChild(a, "B");
        list.addChild(start, "C");
        EXPECT_EQ(list.lines(), test.expected) << test.start;
        EXPECT_EQ(list.parent(3), start);
        EXPECT_EQ(list.parent(start), DirectoryList::kNoParent);
        EXPECT_EQ(list.name(2), "B");
    }
}

TEST(DirectoryListTest, ClearedAndOutOfRangeEntries)
{
    DirectoryList list;
    list.add("C:\\X");
    EXPECT_THROW(list.addChild(1, "Y"), std::out_of_range);
    EXPECT_THROW(list.line(1), std::out_of_range);
    list.clear();
    EXPECT_EQ(list.count(), 0u);
    EXPECT_EQ(list.add("D:\\"), 0u);
    EXPECT_EQ(list.line(0), "D:\\");
}

}  // namespace
}  // namespace mezu
