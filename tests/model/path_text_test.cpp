// SPDX-License-Identifier: MIT
#include "model/path_text.h"

#include <gtest/gtest.h>

namespace mezu {
namespace {

TEST(PathTextTest, JoinsWithASingleSeparator)
{
    EXPECT_EQ(childPath("C:\\", "WINDOWS"), "C:\\WINDOWS");
    EXPECT_EQ(childPath("C:\\WINDOWS", "SYSTEM"), "C:\\WINDOWS\\SYSTEM");
    EXPECT_EQ(childPath("C:\\DOS\\", "DATA"), "C:\\DOS\\DATA");
    EXPECT_EQ(withTrailingSeparator("C:\\A"), "C:\\A\\");
    EXPECT_EQ(withTrailingSeparator("C:\\"), "C:\\");
}

TEST(PathTextTest, DriveRootIsTheFirstThreeCharacters)
{
    EXPECT_EQ(driveRootOf("D:\\deep\\path"), "D:\\");
    EXPECT_EQ(driveRootOf("d:\\x"), "d:\\");
    EXPECT_EQ(driveRootOf("D:"), "D:");
    EXPECT_EQ(driveLetterOf("d:\\x"), 'D');
    EXPECT_EQ(driveLetterOf(""), '\0');
}

TEST(PathTextTest, ShownPathsCannotBreakTurnOrForgeTheirLine)
{
    const struct {
        std::string name;
        std::string shown;
    } cases[] = {
        {"C:\\plain", "C:\\plain"},
        {"a\nb\rc\td\x7f", "a?b?c?d?"},
        {"csi\xC2\x9B"
         "2J nel\xC2\x85",
         "csi?2J nel?"},  // C1 controls
        {"rlo\xE2\x80\xAE"
         "txt.exe",
         "rlo?txt.exe"},  // U+202E turns the rest around
        {"\xE2\x81\xA6iso\xE2\x81\xA9 \xE2\x80\x8Fmark", "?iso? ?mark"},
        {"sep\xE2\x80\xA8"
         "line",
         "sep?line"},
        {"raw\xFF\xFE", "raw\xEF\xBF\xBD\xEF\xBF\xBD"},  // stray bytes as U+FFFD
        {"cut\xE3\x81", "cut\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"שלום עולם", "שלום עולם"},  // genuine right-to-left names stay
        {"مرحبا", "مرحبا"},
        {"日本語 a😀", "日本語 a😀"},
    };
    for (const auto& [name, shown] : cases) {
        EXPECT_EQ(displayPath(name), shown) << name;
    }
}

}  // namespace
}  // namespace mezu
