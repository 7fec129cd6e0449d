#include "survey/sortcmd.h"

#include <gtest/gtest.h>

namespace mezu {
namespace {

using Lines = std::vector<std::string>;

Lines sorted(const Lines& input)
{
    LineList list;
    for (const std::string& line : input) {
        list.add(line);
    }
    sortLargestFirst(list);
    return list.lines();
}

TEST(SortTest, EmptyAndSingleListsStayAsTheyAre)
{
    EXPECT_EQ(sorted({}), Lines{});
    EXPECT_EQ(sorted({"0001.00MB - C:\\A"}), Lines{"0001.00MB - C:\\A"});
}

TEST(SortTest, OrdersLargestFirst)
{
    const Lines descending = {"0300.00MB - C:\\C", "0020.00MB - C:\\B", "0001.00MB - C:\\A"};
    EXPECT_EQ(sorted(descending), descending);
    EXPECT_EQ(sorted({descending[2], descending[1], descending[0]}), descending);
    EXPECT_EQ(sorted({"x", "y", "x", "y"}), (Lines{"y", "y", "x", "x"}));
}

TEST(SortTest, FiveDigitSizeFieldsSortAsText)
{
    const std::string big = "10240.00MB - C:\\BIG";
    const std::string nineHundred = "9000.00MB - C:\\N";
    const std::string twoThousand = "2000.00MB - C:\\T";
    const std::string oneFiveHundred = "1500.00MB - C:\\O";
    const std::string oneZero = "1000.00MB - C:\\Z";
    EXPECT_EQ(sorted({big, oneZero, nineHundred, oneFiveHundred, twoThousand}),
              (Lines{nineHundred, twoThousand, oneFiveHundred, big, oneZero}));
}

TEST(SortTest, EqualSizesAreOrderedByTheRestOfTheLine)
{
    // All files lie in one subdirectory: the whole tree and the subdirectory show one size.
    const std::string whole = "0000.03MB - C:\\DATA               = (28.0KB) (28672 B)";
    const std::string sub = "0000.03MB - C:\\DATA\\OLD           = (28.0KB) (28672 B)";
    EXPECT_EQ(sorted({whole, sub}), (Lines{sub, whole}));
    EXPECT_EQ(sorted({"0000.01MB - C:\\B = (10.0KB) (10240 B)", "0000.01MB - C:\\A = (12.0KB) (12288 B)"}),
              (Lines{"0000.01MB - C:\\B = (10.0KB) (10240 B)", "0000.01MB - C:\\A = (12.0KB) (12288 B)"}));
}

TEST(SortTest, SortsTensOfThousandsOfLines)
{
    LineList list;
    constexpr int kLines = 50000;
    for (int i = 0; i < kLines; ++i) {
        list.add(std::to_string(100000 + (i * 7919) % kLines));
    }
    sortLargestFirst(list);
    ASSERT_EQ(list.count(), static_cast<std::size_t>(kLines));
    for (int i = 1; i < kLines; ++i) {
        ASSERT_GE(list.line(i - 1), list.line(i));
    }
}

}  // namespace
}  // namespace mezu
