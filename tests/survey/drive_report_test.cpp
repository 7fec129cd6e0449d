// SPDX-License-Identifier: MIT
// The all-drives information report, run from the window on drive tables of fakes.
#include "survey/drive_report.h"

#include <gtest/gtest.h>

#include "fake_file_system.h"
#include "fakes.h"
#include "ui/mezumain.h"

namespace mezu {
namespace {

using Lines = std::vector<std::string>;

const std::string kRule(51, '-');
const Lines kHeader = {
    " ", " ", "ディレクトリ容量調査ツール　Ver 1.10", " ", "実施日時：1998年10月23日(金)－14時05分09秒", " "};

class DriveReportTest : public ::testing::Test {
protected:
    test::FakeFileSystem fs{{'C', 'D', 'F', 'Z'}};
    test::FakeDriveQuery drives;
    test::RecordingWindowSystem windowSystem;
    test::FixedClock clock;
    mezumain window{{fs, drives, windowSystem, clock}};
};

TEST_F(DriveReportTest, OnlyCAnsweringGivesFourLines)
{
    drives.set('C', test::driveWithCluster(4096));
    window.Form_Load();
    window.Command3_Click();
    EXPECT_EQ(window.lists().List2.lines(), kHeader);
    EXPECT_EQ(window.lists().List1.lines(), (Lines{kRule, "C drive: Total = 255 MB, Free = 125 MB",
                                                   "   Sector =  512 , Claster =  8 , Block =  4096 B", kRule}));
    EXPECT_TRUE(window.lists().List3.lines().empty());
    ASSERT_EQ(drives.queried.size(), 1u + 24u + 1u) << "start-up, C: to Z:, then the selected drive";
    EXPECT_EQ(drives.queried[1], "C:\\");
    EXPECT_EQ(drives.queried[24], "Z:\\");
}

TEST_F(DriveReportTest, DrivesThatDoNotAnswerLeaveNoTrace)
{
    drives.set('D', test::driveWithCluster(2048, 1000, 10));
    drives.set('F', test::driveWithCluster(65536, 100, 100));
    window.Form_Load();
    window.lists().List3.add("old footer");
    window.Command3_Click();
    const Lines body = window.lists().List1.lines();
    ASSERT_EQ(body.size(), 7u);
    EXPECT_EQ(body[1].substr(0, 8), "D drive:");
    EXPECT_EQ(body[3], kRule);
    EXPECT_EQ(body[4].substr(0, 8), "F drive:");
    EXPECT_TRUE(window.lists().List3.lines().empty());

    window.Command3_Click();
    EXPECT_EQ(window.lists().List1.lines(), body) << "nothing accumulates";
    EXPECT_EQ(window.lists().List2.count(), 6u);
}

TEST_F(DriveReportTest, NoDriveGivesTheRuleAlone)
{
    window.Form_Load();
    window.Command3_Click();
    EXPECT_EQ(window.lists().List1.lines(), Lines{kRule});
    EXPECT_TRUE(window.lists().dlist.lines().empty());
}

}  // namespace
}  // namespace mezu
