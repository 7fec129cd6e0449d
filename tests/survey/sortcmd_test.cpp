// SPDX-License-Identifier: MIT
#include "survey/sortcmd.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

#include "model/text_order.h"

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

// The order by its definition: lines with a size field first, largest first by the field's
// value, then by the whole text in UTF-16 order, both descending.
Lines sortedByDefinition(Lines lines)
{
    const auto digits = [](const std::string& line) {
        const std::size_t point = line.find_first_not_of("0123456789");
        const std::size_t first = std::min(line.find_first_not_of('0'), point - 1);
        return std::pair{line.substr(first, point - first), line.substr(point + 1, line.find("MB") - point - 1)};
    };
    std::sort(lines.begin(), lines.end(), [&](const std::string& a, const std::string& b) {
        const bool sizedA = a != "no size";
        const bool sizedB = b != "no size";
        if (sizedA != sizedB) {
            return sizedA;
        }
        if (sizedA) {
            const auto [integerA, fractionA] = digits(a);
            const auto [integerB, fractionB] = digits(b);
            if (integerA.size() != integerB.size()) {
                return integerA.size() > integerB.size();
            }
            if (integerA != integerB) {
                return integerA > integerB;
            }
            if (fractionA != fractionB) {
                return fractionA > fractionB;
            }
        }
        return compareUtf16(a, b) > 0;
    });
    return lines;
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
    // A line that another begins, where only zero bytes follow: the longer comes first.
    const std::string shorter = "0000.01MB - C:\\A";
    const std::string longer = shorter + std::string(2, '\0');
    EXPECT_EQ(sorted({shorter, longer, "0000.01MB - C:\\B"}), (Lines{"0000.01MB - C:\\B", longer, shorter}));
}

TEST(SortTest, LinesOfOneSizeOrderAsTheirWholeTexts)
{
    // Lines sharing long beginnings, lines that begin other lines, sizes written with more
    // digits than 64 bits hold, and names outside ASCII: each list must come out as the plain
    // definition orders it (size first, then the whole text, both descending).
    const std::vector<std::string> sizes = {"0000.04MB",
                                            "00000.04MB",
                                            "0012.50MB",
                                            "0012.5MB",
                                            "123456789012345678901.00MB",
                                            "123456789012345678901.001MB"};
    const std::vector<std::string> paths = {"C:\\wide\\sub1",
                                            "C:\\wide\\sub10",
                                            "C:\\wide\\sub1 = x",
                                            "C:\\wide\\\xE6\x97\xA5",
                                            "C:\\wide\\\xF0\x9F\x98\x80",
                                            "C:\\wide\\\xEF\xBD\x81"};
    Lines input;
    for (std::size_t i = 0; i < sizes.size() * paths.size(); ++i) {
        input.push_back(sizes[(i * 5) % sizes.size()] + " - " + paths[(i * 7) % paths.size()] +
                        std::string(i % 3, ' '));
    }
    input.push_back("no size");
    EXPECT_EQ(sorted(input), sortedByDefinition(input));
}

TEST(SortTest, ManyLinesOfEverySizeOrderAsDefined)
{
    // Sizes whose digits differ in every byte of their 64-bit values (up to 19 integer digits
    // and 8 decimals), many lines to each size, and paths that differ first at every place of
    // their first sixteen bytes after a long shared beginning.
    const std::vector<std::string> sizes = {"0000.00MB",
                                            "0000.01MB",
                                            "0000.10MB",
                                            "0001.00MB",
                                            "0255.00MB",
                                            "0256.00MB",
                                            "65536.00MB",
                                            "9999999999999999999.99999999MB",
                                            "1000000000000000000.00000001MB",
                                            "0001.5MB"};
    Lines input;
    for (std::size_t i = 0; i < 3000; ++i) {
        std::string name = std::to_string((i * 7919) % 1000);
        name.insert(0, i % 17, 'a');
        input.push_back(sizes[(i * 13) % sizes.size()] + " - /srv/share/" + name + std::string(i % 4, ' ') + "=");
    }
    EXPECT_EQ(sorted(input), sortedByDefinition(input));
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
    for (std::size_t i = 1; i < list.count(); ++i) {
        ASSERT_GE(list.line(i - 1), list.line(i));
    }
}

}  // namespace
}  // namespace mezu
