// SPDX-License-Identifier: MIT
// Saving and printing the report from the window's commands, on fake platform services.
#include "output/report_output.h"

#include <gtest/gtest.h>

#include "fake_file_system.h"
#include "fakes.h"
#include "ui/mezumain.h"

namespace mezu {
namespace {

using Lines = std::vector<std::string>;

class ReportOutputTest : public ::testing::Test {
protected:
    ReportOutputTest() { drives.set('C', test::driveWithCluster(4096)); }

    // A report of 10 header lines, 3 result lines and 2 footer lines.
    void surveyed()
    {
        fs.addFile("C:\\A\\f", 1);
        fs.addFile("C:\\B\\f", 5000);
        window.Form_Load();
        ASSERT_TRUE(window.openDirectory("C:\\"));
        window.Command1_Click();
    }

    std::string expectedFile() const
    {
        std::string bytes;
        for (const LineList* part : {&window.lists().List2, &window.lists().List1, &window.lists().List3}) {
            for (const std::string& line : part->lines()) {
                bytes += line + "\r\n";
            }
        }
        return bytes;
    }

    test::FakeFileSystem fs;
    test::FakeDriveQuery drives;
    test::RecordingWindowSystem windowSystem;
    test::FixedClock clock;
    test::ScriptedSaveDialog dialog;
    test::PassThroughEncoder encoder;
    test::MemoryFileWriter writer;
    test::RecordingPrinter printer;
    mezumain window{{fs, drives, windowSystem, clock, ".", &dialog, &encoder, &writer, &printer}};
};

TEST_F(ReportOutputTest, SavesHeaderResultsAndFooterInOrderWithCrLf)
{
    surveyed();
    ASSERT_EQ(reportLines(window.lists()).size(), 15u);
    dialog.answers = {"/home/u/MEZU.TXT"};
    window.Command5_Click();
    EXPECT_EQ(dialog.filters, Lines{"ﾃｷｽﾄﾌｧｲﾙ|*.txt|All Files|*.*|"});
    EXPECT_EQ(dialog.presets, Lines{"MEZU.TXT"});
    const std::string saved = writer.files->at("/home/u/MEZU.TXT");
    EXPECT_EQ(saved, expectedFile());
    EXPECT_EQ(saved.substr(0, 6), " \r\n \r\n") << "lines of one space are kept";
    EXPECT_EQ(std::count(saved.begin(), saved.end(), '\n'), 15);
    EXPECT_TRUE(windowSystem.messages.empty());
}

TEST_F(ReportOutputTest, RemembersTheNameAndSkipsShortOnes)
{
    surveyed();
    dialog.answers = {"a.t", "ab.t", std::nullopt, "ab.t"};
    window.Command5_Click();
    EXPECT_TRUE(writer.files->empty()) << "a name of three characters writes nothing";
    EXPECT_EQ(window.Cob1FileName(), "a.t");
    window.Command5_Click();
    EXPECT_EQ(writer.files->count("ab.t"), 1u) << "four characters are enough";
    writer.files->clear();
    window.Command5_Click();
    EXPECT_TRUE(writer.files->empty()) << "a cancelled dialog writes nothing";
    EXPECT_EQ(window.Cob1FileName(), "ab.t");
    EXPECT_EQ(dialog.presets, (Lines{"MEZU.TXT", "a.t", "ab.t"}));
    window.Command5_Click();
    EXPECT_EQ(dialog.presets.back(), "ab.t");
    EXPECT_TRUE(windowSystem.messages.empty());
}

TEST_F(ReportOutputTest, EmptyListsSaveAnEmptyFile)
{
    dialog.answers = {"EMPTY.TXT"};
    window.Command5_Click();
    EXPECT_EQ(writer.files->at("EMPTY.TXT"), "");
}

TEST_F(ReportOutputTest, AFailedSaveIsReported)
{
    surveyed();
    writer.failing = true;
    dialog.answers = {"/full/MEZU.TXT"};
    window.Command5_Click();
    EXPECT_EQ(windowSystem.messages, Lines{"ファイル出力エラーです"});
}

TEST_F(ReportOutputTest, PrintsEveryLineInOrderAsOneCopy)
{
    surveyed();
    window.Command4_Click();
    EXPECT_EQ(printer.copies, 1);
    EXPECT_EQ(printer.lines, reportLines(window.lists()));
    EXPECT_EQ(printer.lines.size(), 15u);
    EXPECT_EQ(printer.lines[0], " ");
    EXPECT_TRUE(printer.ended);
    EXPECT_FALSE(printer.discarded);
    EXPECT_TRUE(windowSystem.messages.empty());
}

TEST_F(ReportOutputTest, EmptyReportStillEndsTheDocument)
{
    window.Command4_Click();
    EXPECT_TRUE(printer.lines.empty());
    EXPECT_TRUE(printer.ended);
    EXPECT_TRUE(windowSystem.messages.empty());
}

TEST_F(ReportOutputTest, APrinterFailureStopsAndDiscardsTheDocument)
{
    surveyed();
    struct Case {
        int failAtLine;
        bool failToEnd;
        std::size_t printedLines;
    };
    for (const Case c : {Case{0, false, 0}, Case{4, false, 3}, Case{-1, true, 15}}) {
        test::RecordingPrinter failing;
        failing.failAtLine = c.failAtLine;
        failing.failToEnd = c.failToEnd;
        windowSystem.messages.clear();
        mezumain other{{fs, drives, windowSystem, clock, ".", nullptr, nullptr, nullptr, &failing}};
        for (const std::string& line : reportLines(window.lists())) {
            other.lists().List2.add(line);
        }
        other.Command4_Click();
        EXPECT_EQ(failing.lines.size(), c.printedLines);
        EXPECT_TRUE(failing.discarded);
        EXPECT_FALSE(failing.ended);
        EXPECT_EQ(windowSystem.messages, Lines{"プリンターエラーです"});
    }
}

}  // namespace
}  // namespace mezu
