// SPDX-License-Identifier: MIT
#include "survey/directory_survey.h"

#include <gtest/gtest.h>

#include "fake_file_system.h"
#include "fakes.h"
#include "report/result_line.h"
#include "report/report_header.h"
#include "ui/mezumain.h"

namespace mezu {
namespace {

using Lines = std::vector<std::string>;

const std::string kDateLine = "実施日時：1998年10月23日(金)－14時05分09秒";
const std::string kRule(41, '+');

class DirectorySurveyTest : public ::testing::Test {
protected:
    DirectorySurveyTest() { drives.set('C', test::driveWithCluster(4096)); }

    // Opens `directory` in the window and runs the survey from its button.
    mezumain& surveyed(const std::string& directory)
    {
        EXPECT_TRUE(window.openDirectory(directory));
        window.Command1_Click();
        return window;
    }

    test::FakeFileSystem fs{{'C'}};
    test::FakeDriveQuery drives;
    test::RecordingWindowSystem windowSystem;
    test::FixedClock clock;
    mezumain window{{fs, drives, windowSystem, clock}};
};

TEST_F(DirectorySurveyTest, BuildsHeaderSortedResultsAndFooter)
{
    fs.addFile("C:\\DATA\\top", 5000);
    fs.addFile("C:\\DATA\\SMALL\\s", 1);
    fs.addFile("C:\\DATA\\BIG\\b", 200000);
    fs.addDirectory("C:\\DATA\\EMPTY");
    window.Form_Load();

    const WindowLists& lists = surveyed("C:\\DATA").lists();

    EXPECT_EQ(lists.List2.lines(), (Lines{" ", " ", "ディレクトリ容量調査ツール　Ver 1.10", " ", kDateLine, " ",
                                          "C drive: Total = 255 MB, Free = 125 MB",
                                          "   Sector =  512 , Claster =  8 , Block =  4096 B", " ", kRule}));
    EXPECT_EQ(lists.List1.lines(), (Lines{"0000.20MB - C:\\DATA               = (208.0KB) (212992 B)",
                                          "0000.19MB - C:\\DATA\\BIG           = (196.0KB) (200704 B)",
                                          "0000.00MB - C:\\DATA\\SMALL         = (4.0KB) (4096 B)",
                                          "0000.00MB - C:\\DATA\\EMPTY         = (0.0KB) (0 B)"}));
    EXPECT_EQ(lists.List3.lines(), (Lines{kRule, "C:\\DATA 以下のディレクトリ数： 3"}));
}

TEST_F(DirectorySurveyTest, AllocatedSurveysSayItInTheTitleAndCountAllocations)
{
    fs.addFile("C:\\DATA\\SPARSE\\s", 1ULL << 30).allocated = 0;
    fs.addFile("C:\\DATA\\FULL\\f", 5000).allocated = 12288;
    fs.addFile("C:\\DATA\\top", 1).allocated = 4096;
    window.Form_Load();
    surveyed("C:\\DATA");
    const Lines clusterHeader = window.lists().List2.lines();
    const Lines clusterResults = window.lists().List1.lines();
    window.Command2_Click();
    const Lines clusterAllDrives = window.lists().List2.lines();

    ASSERT_TRUE(window.setSizeMode(SizeMode::Allocated));
    const WindowLists& lists = surveyed("C:\\DATA").lists();
    constexpr std::size_t kTitle = 2;
    Lines expectedHeader = clusterHeader;
    expectedHeader[kTitle] += kAllocatedTitleNote;
    EXPECT_EQ(lists.List2.lines(), expectedHeader);
    EXPECT_EQ(lists.List1.lines(),
              (Lines{formatResultLine("C:\\DATA", 12288 + 4096, "."), formatResultLine("C:\\DATA\\FULL", 12288, "."),
                     formatResultLine("C:\\DATA\\SPARSE", 0, ".")}));
    EXPECT_NE(lists.List1.lines(), clusterResults);

    window.Command2_Click();
    Lines expectedAllDrives = clusterAllDrives;
    expectedAllDrives[kTitle] += kAllocatedTitleNote;
    EXPECT_EQ(window.lists().List2.lines(), expectedAllDrives);
}

TEST_F(DirectorySurveyTest, DirectoryWithoutSubdirectoriesCountsZero)
{
    fs.addFile("C:\\LEAF\\f", 10);
    window.Form_Load();
    const WindowLists& lists = surveyed("C:\\LEAF").lists();
    EXPECT_EQ(lists.List1.count(), 1u);
    EXPECT_EQ(lists.List3.line(1), "C:\\LEAF 以下のディレクトリ数： 0");
}

TEST_F(DirectorySurveyTest, DriveRootMeasuresTheWholeDriveThenEachTopDirectory)
{
    fs.addFile("C:\\rootfile", 4096);
    fs.addFile("C:\\ONE\\f", 4096);
    fs.addFile("C:\\TWO\\f", 8192);
    window.Form_Load();
    const WindowLists& lists = surveyed("C:\\").lists();
    EXPECT_EQ(lists.List1.lines(), (Lines{"0000.02MB - C:\\                   = (16.0KB) (16384 B)",
                                          "0000.01MB - C:\\TWO                = (8.0KB) (8192 B)",
                                          "0000.00MB - C:\\ONE                = (4.0KB) (4096 B)"}));
    EXPECT_EQ(lists.List3.line(1), "C:\\ 以下のディレクトリ数： 2");
}

TEST_F(DirectorySurveyTest, SecondRunReplacesTheFirstAndLeavesList4)
{
    fs.addFile("C:\\A\\X\\f", 1);
    fs.addFile("C:\\B\\f", 1);
    window.Form_Load();
    window.lists().List4.add("kept");
    surveyed("C:\\A");
    const WindowLists& lists = surveyed("C:\\B").lists();
    EXPECT_EQ(lists.List1.count(), 1u);
    EXPECT_EQ(lists.List2.count(), 10u);
    EXPECT_EQ(lists.List3.count(), 2u);
    EXPECT_EQ(lists.List1.line(0).find("C:\\A"), std::string::npos);
    EXPECT_EQ(lists.List4.lines(), Lines{"kept"});
}

TEST_F(DirectorySurveyTest, MissingDriveLinesBecomeEmptyLines)
{
    fs.addDirectory("C:\\Q");
    drives.unset('C');
    window.Form_Load();
    ASSERT_EQ(window.lists().dlist.count(), 0u);
    const WindowLists& lists = surveyed("C:\\Q").lists();
    EXPECT_EQ(lists.List2.line(6), "");
    EXPECT_EQ(lists.List2.line(7), "");
    EXPECT_EQ(lists.List2.line(9), kRule);
}

TEST_F(DirectorySurveyTest, YieldsAfterEachSubdirectoryAndShowsLinesAsTheyArrive)
{
    fs.addDirectory("C:\\P\\A");
    fs.addDirectory("C:\\P\\B");
    window.Form_Load();
    std::vector<std::size_t> resultCounts;
    windowSystem.onYield = [&] { resultCounts.push_back(window.lists().List1.count()); };
    surveyed("C:\\P");
    ASSERT_FALSE(resultCounts.empty());
    EXPECT_EQ(resultCounts.front(), 0u);
    EXPECT_EQ(resultCounts.back(), 3u);
    EXPECT_TRUE(std::is_sorted(resultCounts.begin(), resultCounts.end()));
}

}  // namespace
}  // namespace mezu
