// SPDX-License-Identifier: MIT
#include "model/drive_path.h"

#include <gtest/gtest.h>

namespace mezu {
namespace {

TEST(DrivePathTest, ReadsEveryFormOfADrivePathAsOne)
{
    const struct {
        std::string given;
        std::string read;
    } cases[] = {
        {"C:\\", "C:\\"},
        {"C:", "C:\\"},
        {"c:\\data", "C:\\data"},
        {"a:\\", "A:\\"},
        {"Z:\\a\\b\\", "Z:\\a\\b"},
        {"D:\\\\a\\\\\\b", "D:\\a\\b"},
        {"E:\\.hidden\\...\\a.b", "E:\\.hidden\\...\\a.b"},
        {"F:\\日本語\\Ünïcode", "F:\\日本語\\Ünïcode"},
        {"G:\\a/b", "G:\\a/b"},  // a name: the POSIX backend shows a "\" in a host name so
    };
    for (const auto& c : cases) {
        const auto parsed = parseDrivePath(c.given);
        ASSERT_TRUE(std::holds_alternative<DrivePath>(parsed)) << c.given << ": " << std::get<std::string>(parsed);
        EXPECT_EQ(std::get<DrivePath>(parsed).text(), c.read) << c.given;
    }
    const auto nested = parseDrivePath("c:\\one\\two");
    EXPECT_EQ(std::get<DrivePath>(nested).letter, 'C');
    EXPECT_EQ(std::get<DrivePath>(nested).components, (std::vector<std::string>{"one", "two"}));
}

TEST(DrivePathTest, RefusesWhatIsNoDrivePathAndSaysWhy)
{
    const struct {
        std::string given;
        std::string reasonHas;
    } cases[] = {
        {"", "drive letter"},      {"C", "drive letter"},           {"\\data", "drive letter"},
        {"/home", "drive letter"}, {"1:\\", "drive letter"},        {"@:\\", "drive letter"},
        {"[:\\", "drive letter"},  {"\xC3\x84:\\", "drive letter"}, {"C:data", "\"C:\""},
        {"c:/data", "\"c:\""},     {"C:\\a\\..", "\"..\""},         {"C:\\..\\Windows", "\"..\""},
        {"C:\\.", "\".\""},        {"C:\\a\\.\\b\\", "\".\""},
    };
    for (const auto& c : cases) {
        const auto parsed = parseDrivePath(c.given);
        ASSERT_TRUE(std::holds_alternative<std::string>(parsed)) << c.given;
        EXPECT_NE(std::get<std::string>(parsed).find(c.reasonHas), std::string::npos)
            << c.given << ": " << std::get<std::string>(parsed);
    }
}

TEST(DrivePathTest, UpperCasesOnlyAsciiLetters)
{
    EXPECT_EQ(asciiUpper('a'), 'A');
    EXPECT_EQ(asciiUpper('z'), 'Z');
    EXPECT_EQ(asciiUpper('Q'), 'Q');
    EXPECT_EQ(asciiUpper('{'), '{');
    EXPECT_EQ(asciiUpper('`'), '`');
    EXPECT_EQ(asciiUpper('\xE4'), '\xE4');  // a byte of some UTF-8 sequence, never a letter
}

}  // namespace
}  // namespace mezu
