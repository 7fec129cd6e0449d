// SPDX-License-Identifier: MIT
#include "report/report_header.h"

#include <gtest/gtest.h>

namespace mezu {
namespace {

TEST(ReportHeaderTest, DateLineOfTheExample)
{
    const LocalDateTime when{1998, 10, 23, 5, 14, 5, 9};
    EXPECT_EQ(formatDateLine(when), "実施日時：1998年10月23日(金)－14時05分09秒");
}

TEST(ReportHeaderTest, DateLinePadsAndNamesEveryWeekday)
{
    const char* const weekdays[] = {"日", "月", "火", "水", "木", "金", "土"};
    for (int weekday = 0; weekday < 7; ++weekday) {
        const LocalDateTime when{2026, 1, 4 + weekday, weekday, 0, 0, 0};
        const std::string day = weekday < 6 ? "0" + std::to_string(4 + weekday) : "10";
        EXPECT_EQ(formatDateLine(when), "実施日時：2026年01月" + day + "日(" + weekdays[weekday] + ")－00時00分00秒");
    }
}

TEST(ReportHeaderTest, HeaderBlockHasSixLines)
{
    LineList header;
    appendHeaderBlock(header, LocalDateTime{1998, 10, 23, 5, 14, 5, 9});
    EXPECT_EQ(header.lines(), (std::vector<std::string>{
                                  " ",
                                  " ",
                                  "ディレクトリ容量調査ツール　Ver 1.10",
                                  " ",
                                  "実施日時：1998年10月23日(金)－14時05分09秒",
                                  " ",
                              }));
}

TEST(ReportHeaderTest, OnlyTheAllocatedModeEndsTheTitleWithItsNote)
{
    const LocalDateTime when{1998, 10, 23, 5, 14, 5, 9};
    LineList plain;
    appendHeaderBlock(plain, when);
    LineList clusters;
    appendHeaderBlock(clusters, when, SizeMode::Clusters);
    LineList allocated;
    appendHeaderBlock(allocated, when, SizeMode::Allocated);
    constexpr std::size_t kTitle = 2;
    EXPECT_EQ(clusters.lines(), plain.lines());
    ASSERT_EQ(allocated.count(), plain.count());
    for (std::size_t i = 0; i < plain.count(); ++i) {
        const std::string expected = i == kTitle ? plain.line(i) + std::string{kAllocatedTitleNote} : plain.line(i);
        EXPECT_EQ(allocated.line(i), expected) << i;
    }
}

TEST(ReportHeaderTest, CountLineHasASignPosition)
{
    EXPECT_EQ(formatCountLine("C:\\DATA", 13), "C:\\DATA 以下のディレクトリ数： 12");
    EXPECT_EQ(formatCountLine("C:\\", 1), "C:\\ 以下のディレクトリ数： 0");
    EXPECT_EQ(formatCountLine("C:\\", 0), "C:\\ 以下のディレクトリ数：-1");
    EXPECT_EQ(formatCountLine("C:\\", 40001), "C:\\ 以下のディレクトリ数： 40000");
}

}  // namespace
}  // namespace mezu
