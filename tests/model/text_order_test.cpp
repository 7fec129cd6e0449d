#include "model/text_order.h"

#include <gtest/gtest.h>

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
