// SPDX-License-Identifier: MIT
#include "model/text_order.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace mezu {
namespace {

TEST(TextOrderTest, OrdersOrdinallyWithPrefixesFirst)
{
    EXPECT_LT(compareUtf16("0001.00MB", "0002.00MB"), 0);
    EXPECT_GT(compareUtf16("b", "a"), 0);
    EXPECT_EQ(compareUtf16("same", "same"), 0);
    EXPECT_LT(compareUtf16("abc", "abcd"), 0);
    EXPECT_LT(compareUtf16("", "a"), 0);
    EXPECT_LT(compareUtf16("B", "a"), 0) << "no case folding";
    EXPECT_LT(compareUtf16("C:\\DATA ", "C:\\DATA\\"), 0) << "a space orders before a backslash";
}

TEST(TextOrderTest, FollowsUtf16UnitsWhereUtf8BytesDisagree)
{
    const std::string astral = "\xF0\x9F\x98\x80";  // U+1F600, surrogates D83D DE00
    const std::string fullWidth = "\xEF\xBC\x81";   // U+FF01
    EXPECT_GT(std::string_view{astral}.compare(fullWidth), 0) << "UTF-8 byte order";
    EXPECT_LT(compareUtf16(astral, fullWidth), 0) << "UTF-16 unit order";
    EXPECT_GT(compareUtf16("\xE3\x81\x82", "z"), 0) << "Japanese after ASCII";
}

TEST(TextOrderTest, InvalidBytesOrderDeterministicallyAndStayDistinct)
{
    const std::string invalidA = "a\xFF";
    const std::string invalidB = "a\xFE";
    EXPECT_NE(compareUtf16(invalidA, invalidB), 0);
    EXPECT_EQ(compareUtf16(invalidA, invalidB), -compareUtf16(invalidB, invalidA));
    EXPECT_NE(compareUtf16("a\xC3", "a\xC3\xA9"), 0) << "a truncated sequence is not its completion";
    EXPECT_EQ(compareUtf16("a\xFF", "a\xFF"), 0);
}

// A shared beginning is skipped bytewise; the order must still be that of the units where the
// texts part, also when they part inside a sequence or next to an invalid byte.
TEST(TextOrderTest, TextsThatPartInsideASequenceOrderByTheirUnits)
{
    struct Case {
        std::string smaller;
        std::string larger;
    };
    const std::vector<Case> cases = {
        {"\xC3\xA9",
         "\xC3"
         "b"},  // U+00E9 before the escaped lone lead DCC3
        {"\xE3\x81\x82",
         "\xE3\x81"
         "z"},                                 // U+3042 before the escaped truncated lead
        {"\xF0\x9F\x98\x80", "\xEF\xBC\x81"},  // surrogates before U+FF01
        {"\xC3\xA8", "\xC3\xA9"},
        {"a", "a\xA9"},
    };
    const std::vector<std::string> beginnings = {"", "C:\\data\\", "\xE3\x83\x87\xE3\x83\xBC\xE3\x82\xBF",
                                                 "\xF0\x9F\x98\x80x", "C:\\data\\\xE3\x83\x87\xE3\x83\xBC\xE3\x82\xBF"};
    for (const std::string& beginning : beginnings) {
        for (const Case& c : cases) {
            const std::string smaller = beginning + c.smaller;
            const std::string larger = beginning + c.larger;
            EXPECT_LT(compareUtf16(smaller, larger), 0) << testing::PrintToString(smaller);
            EXPECT_GT(compareUtf16(larger, smaller), 0) << testing::PrintToString(larger);
        }
    }
}

TEST(TextOrderTest, LengthCountsUtf16Units)
{
    EXPECT_EQ(utf16Length(""), 0u);
    EXPECT_EQ(utf16Length("C:\\DATA"), 7u);
    EXPECT_EQ(utf16Length("C:\\データ"), 6u);
    EXPECT_EQ(utf16Length("\xF0\x9F\x98\x80"), 2u);
    EXPECT_EQ(utf16Length("x\xFF\xFEy"), 4u);
}

}  // namespace
}  // namespace mezu
