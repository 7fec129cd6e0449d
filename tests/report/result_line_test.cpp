// SPDX-License-Identifier: MIT
#include "report/result_line.h"

#include <gtest/gtest.h>

namespace mezu {
namespace {

TEST(ResultLineTest, WorkedExamples)
{
    EXPECT_EQ(formatResultLine("C:\\DATA", 28672, "."), "0000.03MB - C:\\DATA               = (28.0KB) (28672 B)");
    EXPECT_EQ(formatResultLine("C:\\DATA", 28672, ".").size(), 54u);
    EXPECT_EQ(formatResultLine("D:\\WORK", 1212416, "."),
              "0001.16MB - D:\\WORK               = (1184.0KB) (1212416 B)");
}

TEST(ResultLineTest, EmptyTreeAndHalfUpRounding)
{
    EXPECT_EQ(formatResultLine("C:\\E", 0, "."), "0000.00MB - C:\\E                  = (0.0KB) (0 B)");
    EXPECT_EQ(formatResultLine("C:\\E", 131072, ".").substr(0, 7), "0000.13");
    EXPECT_NE(formatResultLine("C:\\E", 131072, ".").find("(128.0KB) (131072 B)"), std::string::npos);
    // 0.005 MB is 5242.88 bytes: 5242 stays below the half, 5243 passes it.
    EXPECT_EQ(formatResultLine("C:\\E", 5242, ".").substr(0, 7), "0000.00");
    EXPECT_EQ(formatResultLine("C:\\E", 5243, ".").substr(0, 7), "0000.01");
    // 0.05 KB is 51.2 bytes.
    EXPECT_NE(formatResultLine("C:\\E", 51, ".").find("(0.0KB)"), std::string::npos);
    EXPECT_NE(formatResultLine("C:\\E", 52, ".").find("(0.1KB)"), std::string::npos);
    // Exactly half a hundredth of a megabyte goes up: 0.125 MB above is one; 10.245 MB is not
    // dyadic, so take 0.375 MB = 393216 bytes.
    EXPECT_EQ(formatResultLine("C:\\E", 393216, ".").substr(0, 7), "0000.38");
}

TEST(ResultLineTest, FiveDigitMegabytesWidenTheField)
{
    const std::string line = formatResultLine("C:\\BIG", 10240ULL * 1024 * 1024, ".");
    EXPECT_EQ(line.substr(0, 13), "10240.00MB - ");
    EXPECT_NE(line.find("(10485760.0KB) (10737418240 B)"), std::string::npos);
}

TEST(ResultLineTest, TotalsPast64BitsArePrintedWhole)
{
    struct Case {
        ByteTotal bytes;
        const char* megabytes;
        const char* kilobytes;
        const char* total;
    };
    const ByteTotal two64 = ByteTotal{1} << 64;
    const Case cases[] = {
        // 2^64 - 1: the largest 64-bit total, 2^44 MB less one byte, rounding up.
        {two64 - 1, "17592186044416.00", "18014398509481984.0", "18446744073709551615"},
        {two64, "17592186044416.00", "18014398509481984.0", "18446744073709551616"},
        // Three files of 2^63 bytes each: 3 * 2^43 MB.
        {3 * (two64 / 2), "26388279066624.00", "27021597764222976.0", "27670116110564327424"},
        {ByteTotal{1} << 127, "162259276829213363391578010288128.00", "166153499473114484112975882535043072.0",
         "170141183460469231731687303715884105728"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(formatResultLine("C:\\S", c.bytes, "."), std::string{c.megabytes} + "MB - C:\\S" +
                                                               std::string(17, ' ') + " = (" + c.kilobytes + "KB) (" +
                                                               c.total + " B)");
    }
}

TEST(ResultLineTest, PathColumnIsTwentyOneCharacters)
{
    EXPECT_EQ(formatResultLine("C:\\", 0, "."), "0000.00MB - C:\\                   = (0.0KB) (0 B)");
    const std::string exactly21 = "C:\\ABCDEFGHIJKLMNOPQR";
    ASSERT_EQ(exactly21.size(), 21u);
    EXPECT_EQ(formatResultLine(exactly21, 0, "."), "0000.00MB - " + exactly21 + " = (0.0KB) (0 B)");
    const std::string longer = "C:\\a rather long directory\\below it";
    EXPECT_EQ(formatResultLine(longer, 0, "."), "0000.00MB - " + longer + " = (0.0KB) (0 B)");
    // Japanese characters take one position each.
    EXPECT_EQ(formatResultLine("C:\\データ", 0, "."),
              "0000.00MB - C:\\データ" + std::string(15, ' ') + " = (0.0KB) (0 B)");
}

TEST(ResultLineTest, UsesTheGivenDecimalSeparator)
{
    EXPECT_EQ(formatResultLine("C:\\DATA", 28672, ","), "0000,03MB - C:\\DATA               = (28,0KB) (28672 B)");
}

}  // namespace
}  // namespace mezu
