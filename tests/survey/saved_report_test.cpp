// SPDX-License-Identifier: MIT
#include "survey/saved_report.h"

#include <gtest/gtest.h>

#include "fakes.h"

namespace mezu {
namespace {

const std::string kHeader =
    " \r\n \r\nディレクトリ容量調査ツール　Ver 1.10\r\n \r\n実施日時：2026年12月07日(月)－06時40分19秒\r\n \r\n";
const std::string kRule = std::string(41, '+') + "\r\n";
const std::string kSectionRule = std::string(48, '-') + "\r\n";

std::string directorySurvey(const std::string& results, const std::string& countLine)
{
    return kHeader +
           "C drive: Total = 258019 MB, Free = 81762 MB\r\n   Sector =  512 , Claster =  8 , Block =  4096 B\r\n \r\n" +
           kRule + results + kRule + countLine;
}

const std::string kWhole = directorySurvey(
    "0000.03MB - C:\\DATA               = (28.0KB) (28672 B)\r\n"
    "0000.01MB - C:\\DATA\\OLD 以下のディレクトリ数： 9 = (12.0KB) (12288 B)\r\n",
    "C:\\DATA 以下のディレクトリ数： 1\r\n");

TEST(SavedReportTest, ReadsWholeSurveysExactly)
{
    const SavedSurvey survey = readSavedSurvey(kWhole);
    ASSERT_EQ(survey.error, "");
    ASSERT_EQ(survey.directories.size(), 2u);
    EXPECT_EQ(survey.directories[1].path, "C:\\DATA\\OLD 以下のディレクトリ数： 9")
        << "the footer is found by its place";
    EXPECT_EQ(survey.directories[1].bytes, ByteTotal{12288});
    EXPECT_EQ(survey.date, "2026年12月07日(月)－06時40分19秒");

    const ByteTotal largest = ~ByteTotal{0};
    const SavedSurvey huge = readSavedSurvey(directorySurvey(
        "99999.99MB - C:\\X = (1.0KB) (" + decimalText(largest) + " B)\r\n", "C:\\X 以下のディレクトリ数： 0\r\n"));
    ASSERT_EQ(huge.error, "");
    EXPECT_EQ(huge.directories[0].bytes, largest);

    const std::string allDrives =
        kHeader + kSectionRule + "0000.01MB - D:\\X = (8.0KB) (8192 B)\r\n" + kSectionRule + kSectionRule;
    EXPECT_EQ(readSavedSurvey(allDrives).error, "") << "a drive without directories is its rule alone";
    EXPECT_EQ(readSavedSurvey(allDrives).directories.size(), 1u);
}

TEST(SavedReportTest, RefusesEveryReportThatIsCutOrDamaged)
{
    // A report cut at any line boundary must not pass for a whole one.
    for (std::size_t end = kWhole.find('\n'); end + 1 < kWhole.size(); end = kWhole.find('\n', end + 1)) {
        EXPECT_NE(readSavedSurvey(kWhole.substr(0, end + 1)).error, "") << "cut after byte " << end + 1;
    }
    const std::string twoToThe128 = "340282366920938463463374607431768211456";
    const std::string section = "0000.01MB - D:\\X = (8.0KB) (8192 B)\r\n";
    const struct {
        std::string text;
        std::string error;
    } damaged[] = {
        {directorySurvey("0000.01MB - C:\\X = (8.0KB) (8192 B)\r\n", "C:\\X 以下のディレクトリ数： 3\r\n"),
         "line 13: the count line gives 3 subdirectories, the report lists 0"},
        {directorySurvey("0000.01MB - C:\\X = (8.0KB) (" + twoToThe128 + " B)\r\n",
                         "C:\\X 以下のディレクトリ数： 0\r\n"),
         "line 11: a byte figure larger than any survey can hold (2^128 - 1): 0000.01MB - C:\\X = (8.0KB) (" +
             twoToThe128 + " B)"},
        {kWhole + "rm -rf /\r\n", "line 15: more text after the end of the report: rm -rf /"},
        {kHeader + kSectionRule + section,
         "line 9: the report ends inside a drive's section, before the rule that closes it"},
        {kHeader + std::string(51, '-') + "\r\n", "line 7: a drive information report, which lists no directories"},
        {"hello\x1b[2J\r\n", "line 1: not the line a report's header has here: hello?[2J"},
    };
    for (const auto& [text, error] : damaged) {
        const SavedSurvey read = readSavedSurvey(text);
        EXPECT_EQ(read.error, error);
        EXPECT_TRUE(read.directories.empty());
    }
    const std::string flood = directorySurvey(std::string(100000, 'x') + "\r\n", "");
    const std::string error = readSavedSurvey(flood).error;
    EXPECT_EQ(error, "line 11: not a result line: " + std::string(200, 'x') + "…") << "an echoed line is cut";
}

TEST(SavedReportTest, DecodesEitherEncodingAndNamesALineThatIsNeither)
{
    const test::OneByteCodePage codePage;
    const DecodedReport marked = decodeReportFile("\xEF\xBB\xBFtext é", codePage);
    EXPECT_EQ(marked.text, "text é") << "the byte order mark Windows editors add is skipped";
    EXPECT_EQ(marked.encoding, ReportEncoding::Utf8);

    const DecodedReport saved = decodeReportFile("a\r\ncaf\xE9\r\n", codePage);
    EXPECT_EQ(saved.encoding, ReportEncoding::ShiftJis);
    EXPECT_EQ(saved.text, "a\r\ncafé\r\n");
    EXPECT_EQ(saved.error, "");

    // Valid UTF-8 for two lines, then a byte valid in neither.
    const DecodedReport junk = decodeReportFile("é\nü\nok \xFF\x01\n\xE9\n", codePage);
    EXPECT_EQ(junk.error, "line 3: bytes that are not UTF-8 text (nor Shift_JIS): ok \xEF\xBF\xBD");
    // UTF-8 cut in the middle of its last character: the code page fails on the first line.
    const DecodedReport cut = decodeReportFile("\xC4\x81\nb\n\xE3\x81", codePage);
    EXPECT_EQ(cut.encoding, ReportEncoding::Utf8) << "it reads further as UTF-8";
    EXPECT_EQ(cut.error, "line 3: bytes that are not UTF-8 text (nor Shift_JIS): \xEF\xBF\xBD");
}

}  // namespace
}  // namespace mezu
