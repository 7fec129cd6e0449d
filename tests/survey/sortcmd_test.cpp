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

TEST(SortTest, SizesOfTenThousandMegabytesAndMoreSortByValue)
{
    const std::string huge = "123456.78MB - C:\\HUGE";
    const std::string tenThousand = "10000.00MB - C:\\TEN";
    const std::string largestFourDigit = "9999.99MB - C:\\NINE";
    const std::string twoThousand = "2048.00MB - C:\\T";
    const std::string ten = "10240.00MB - C:\\BIG";
    const std::string commaDecimal = "10000,01MB - C:\\COMMA";
    EXPECT_EQ(sorted({largestFourDigit, ten, twoThousand, tenThousand, commaDecimal, huge}),
              (Lines{huge, ten, commaDecimal, tenThousand, largestFourDigit, twoThousand}));
    // Leading zeros do not make a size larger; equal values fall back to the text.
    EXPECT_EQ(sorted({"010000.00MB - C:\\B", "10000.00MB - C:\\A"}),
              (Lines{"10000.00MB - C:\\A", "010000.00MB - C:\\B"}));
}

TEST(SortTest, LinesWithoutASizeFieldComeLastInTextOrder)
{
    EXPECT_EQ(sorted({"abc", "0001.00MB - C:\\A", "12MB", "zz", "0000.50MB - C:\\B"}),
              (Lines{"0001.00MB - C:\\A", "0000.50MB - C:\\B", "zz", "abc", "12MB"}));
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
