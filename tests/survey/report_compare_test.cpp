#include "survey/report_compare.h"

#include <gtest/gtest.h>

#include "fakes.h"
#include "survey/report_header.h"

namespace mezu {
namespace {

using Lines = std::vector<std::string>;

constexpr const char* kSurveyReport =
    " \r\n \r\nディレクトリ容量調査ツール　Ver 1.10\r\n \r\n実施日時：2026年12月07日(月)－06時40分19秒\r\n \r\n"
    "C drive: Total = 258019 MB, Free = 81762 MB\r\n   Sector =  512 , Claster =  8 , Block =  4096 B\r\n \r\n"
    "+++++++++++++++++++++++++++++++++++++++++\r\n"
    "0000.03MB - C:\\DATA               = (28.0KB) (28672 B)\r\n"
    "0000.01MB - C:\\DATA\\OLD           = (12.0KB) (12288 B)\r\n"
    "+++++++++++++++++++++++++++++++++++++++++\r\nC:\\DATA 以下のディレクトリ数： 1\r\n";

TEST(ReportCompareTest, ReadsTheDirectoriesOfSavedSurveysAndNamesALineThatIsNone)
{
    const SurveyedDirectories survey = readSurveyReport(kSurveyReport);
    EXPECT_EQ(survey.error, "");
    ASSERT_EQ(survey.directories.size(), 2u);
    EXPECT_EQ(survey.directories[1].path, "C:\\DATA\\OLD");
    EXPECT_EQ(survey.directories[1].bytes, "12288");

    const std::string allDrives = " \n \nディレクトリ容量調査ツール　Ver 1.10\n \n実施日時：x\n \n" + std::string(48, '-') +
                                  "\n0000.01MB - D:\\X = (8.0KB) (8192 B)\n" + std::string(48, '-') + "\n";
    EXPECT_EQ(readSurveyReport(allDrives).directories.size(), 1u);

    std::string allocated = kSurveyReport;
    const std::string title = "Ver 1.10";
    allocated.insert(allocated.find(title) + title.size(), kAllocatedTitleNote);
    const SurveyedDirectories allocatedSurvey = readSurveyReport(allocated);
    EXPECT_EQ(allocatedSurvey.error, "") << "a survey of real allocation reads as any other";
    EXPECT_EQ(allocatedSurvey.directories.size(), survey.directories.size());

    const struct {
        std::string text;
        std::string error;
    } notReports[] = {
        {"hello\n", "line 1: hello"},
        {std::string{kSurveyReport} + "rm -rf /\r\n", "line 15: rm -rf /"},
        {" \n \nディレクトリ容量調査ツール　Ver 1.10\n", "line 4: the report's header ends early"},
    };
    for (const auto& [text, error] : notReports) {
        const SurveyedDirectories read = readSurveyReport(text);
        EXPECT_EQ(read.error, error);
        EXPECT_TRUE(read.directories.empty());
    }
}

TEST(ReportCompareTest, ListsEveryDirectoryLargestGrowthFirstWithNewAndGone)
{
    const std::string huge = "36893488147419103232";  // 2^65: more than 64 bits hold
    const std::vector<ResultLineFields> earlier = {
        {"C:\\DATA", "28672"}, {"C:\\DATA\\OLD", "12288"}, {"C:\\DATA\\SAME", "4096"}, {"C:\\DATA\\BIG", "4096"}};
    const std::vector<ResultLineFields> later = {
        {"C:\\DATA", "32768"}, {"C:\\DATA\\NEW", "8192"}, {"C:\\DATA\\SAME", "4096"}, {"C:\\DATA\\BIG", huge}};
    WindowLists lists;
    fillComparison(lists, earlier, later, "MEZU.TXT", test::FixedClock{}.now());

    auto column = [](const std::string& text) { return std::string(text.size() < 20 ? 20 - text.size() : 0, ' ') + text; };
    EXPECT_EQ(lists.List1.lines(),
              (Lines{column("4096") + " " + column(huge) + " " + column("+36893488147419099136") + "  C:\\DATA\\BIG",
                     column("-") + " " + column("8192") + " " + column("new") + "  C:\\DATA\\NEW",
                     column("28672") + " " + column("32768") + " " + column("+4096") + "  C:\\DATA",
                     column("4096") + " " + column("4096") + " " + column("0") + "  C:\\DATA\\SAME",
                     column("12288") + " " + column("-") + " " + column("gone") + "  C:\\DATA\\OLD"}));
    EXPECT_EQ(lists.List2.line(6), "比較：MEZU.TXT と今回");
    EXPECT_EQ(lists.List3.lines(), (Lines{std::string(41, '+')}));
}

}  // namespace
}  // namespace mezu
