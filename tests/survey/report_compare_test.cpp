// SPDX-License-Identifier: MIT
#include "survey/report_compare.h"

#include <gtest/gtest.h>

#include "report/result_line.h"
#include "fakes.h"

namespace mezu {
namespace {

using Lines = std::vector<std::string>;

TEST(ReportCompareTest, ListsEveryDirectoryLargestGrowthFirstInTheFormOfResultLines)
{
    const ByteTotal twoToThe65 = ByteTotal{1} << 65;
    const ByteTotal largest = ~ByteTotal{0};
    const ComparedSurvey earlier{{{"C:\\DATA", 28672},
                                  {"C:\\DATA\\OLD", 12288},
                                  {"C:\\DATA\\SAME", 4096},
                                  {"C:\\DATA\\BIG", 4096},
                                  {"C:\\DATA\\FULL", largest}},
                                 "2026年12月07日(月)－06時40分19秒"};
    const ComparedSurvey later{{{"C:\\DATA", 32768},
                                {"C:\\DATA\\NEW", 3145728},
                                {"C:\\DATA\\SAME", 4096},
                                {"C:\\DATA\\BIG", twoToThe65},
                                {"C:\\DATA\\FULL", 1}},
                               "2026年12月08日(火)－09時59分58秒"};
    WindowLists lists;
    EXPECT_TRUE(fillComparison(lists, earlier, later, "MEZU\n.TXT", test::FixedClock{}.now()).empty());

    EXPECT_EQ(
        lists.List1.lines(),
        (Lines{"前回 2026/12/07 06:40:19 → 今回 2026/12/08 09:59:58",
               "増減       - ディレクトリ (前回 → 今回) (増減 B)",
               "+35184372088832.00MB - C:\\DATA\\BIG (0000.00MB → 35184372088832.00MB) (+36893488147419099136 B)",
               "+0003.00MB - C:\\DATA\\NEW (なし → 0003.00MB) (+3145728 B)",
               "+0000.00MB - C:\\DATA (0000.03MB → 0000.03MB) (+4096 B)",
               " 0000.00MB - C:\\DATA\\SAME (0000.00MB → 0000.00MB) (0 B)",
               "-0000.01MB - C:\\DATA\\OLD (0000.01MB → なし) (-12288 B)",
               "-324518553658426726783156020576256.00MB - C:\\DATA\\FULL (324518553658426726783156020576256.00MB → "
               "0000.00MB) (-340282366920938463463374607431768211454 B)"}));
    EXPECT_EQ(lists.List2.line(6), "比較：MEZU?.TXT と今回") << "a file name cannot forge a line";
    EXPECT_EQ(lists.List3.lines(), (Lines{std::string(41, '+'), "比較したディレクトリ数： 6"}));
}

TEST(ReportCompareTest, NeverDropsADirectoryThatSharesItsPathWithAnother)
{
    const ComparedSurvey earlier{{{"C:\\A", 4096}, {"C:\\A", 8192}}, ""};
    const ComparedSurvey later{{{"C:\\A", 8192}}, ""};
    WindowLists lists;
    EXPECT_EQ(fillComparison(lists, earlier, later, "OLD", test::FixedClock{}.now()), Lines{"C:\\A"});
    EXPECT_EQ(Lines(lists.List1.lines().begin() + 2, lists.List1.lines().end()),
              (Lines{"+0000.00MB - C:\\A (0000.00MB → 0000.01MB) (+4096 B)",
                     "-0000.01MB - C:\\A (0000.01MB → なし) (-8192 B)"}));
    EXPECT_EQ(lists.List3.lines().back(), "注：複数のディレクトリが同じ名前で示されています：C:\\A");
}

TEST(ReportCompareTest, NamesASurveyMadeNowAsItsSavedReportWould)
{
    const std::vector<std::string> names = {"C:\\T\\a",  "C:\\T\\a ", "C:\\T\\é",
                                            "C:\\T\\a😀", "C:\\T\\a😁", "C:\\T\\b\x1b"};
    std::vector<TreeMeasurement> measured;
    LineList header;
    header.add(" ");
    header.add(" ");
    header.add("title");
    header.add(" ");
    header.add("実施日時：2026年12月08日(火)－09時59分58秒");
    LineList results;
    results.add(std::string(48, '-'));
    for (const std::string& name : names) {
        results.add(formatResultLine(name, 4096 * (measured.size() + 1), "."),
                    static_cast<std::uint32_t>(measured.size()));
        measured.push_back({name, 4096 * (measured.size() + 1), 1, 1});
    }
    const test::OneByteCodePage codePage;
    const auto paths = [&](ReportEncoding encoding) {
        const ComparedSurvey survey = surveyAsSaved(header, results, measured, encoding, codePage);
        EXPECT_EQ(survey.date, "2026年12月08日(火)－09時59分58秒");
        EXPECT_EQ(survey.directories.size(), names.size()) << "only result lines count";
        Lines shown;
        for (const ReportedDirectory& directory : survey.directories) {
            shown.push_back(directory.path);
        }
        return shown;
    };
    EXPECT_EQ(paths(ReportEncoding::Utf8),
              (Lines{"C:\\T\\a", "C:\\T\\a", "C:\\T\\é", "C:\\T\\a😀", "C:\\T\\a😁", "C:\\T\\b?"}));
    EXPECT_EQ(paths(ReportEncoding::ShiftJis),
              (Lines{"C:\\T\\a", "C:\\T\\a", "C:\\T\\é", "C:\\T\\a?", "C:\\T\\a?", "C:\\T\\b?"}));
}

}  // namespace
}  // namespace mezu
