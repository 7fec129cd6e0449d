// SPDX-License-Identifier: MIT
// The all-drives directory survey, run from the window on drive tables of fakes.
#include "survey/all_drives_survey.h"

#include <gtest/gtest.h>

#include "fake_file_system.h"
#include "fakes.h"
#include "ui/mezumain.h"

namespace mezu {
namespace {

using Lines = std::vector<std::string>;

const std::string kRule(48, '-');

class AllDrivesSurveyTest : public ::testing::Test {
protected:
    AllDrivesSurveyTest()
    {
        drives.set('C', test::driveWithCluster(4096));
        drives.set('E', test::driveWithCluster(32768));
    }

    static test::FakeFileSystem machine()
    {
        test::FakeFileSystem fs{{'C', 'D', 'E', 'G'}};
        fs.addFile("C:\\rootfile", 1000000);
        fs.addFile("C:\\SMALL\\f", 1);
        fs.addFile("C:\\BIG\\f", 20000);
        fs.addFile("C:\\BIG\\SUB\\g", 1);
        fs.addDirectory("C:\\.hidden");
        fs.addFile("D:\\UNQUERIED\\f", 1);
        fs.addFile("E:\\ONE\\f", 1);
        fs.addFile("G:\\SILENT\\f", 1);
        return fs;
    }

    test::FakeFileSystem fs = machine();
    test::FakeDriveQuery drives;
    test::RecordingWindowSystem windowSystem;
    test::FixedClock clock;
    mezumain window{{fs, drives, windowSystem, clock}};
};

TEST_F(AllDrivesSurveyTest, EachAnsweringDriveGetsASortedSectionInItsOwnClusters)
{
    window.Form_Load();
    window.Command2_Click();
    const WindowLists& lists = window.lists();
    EXPECT_EQ(lists.List2.count(), 7u);
    EXPECT_EQ(lists.List2.line(6), kRule);
    EXPECT_EQ(lists.List1.lines(), (Lines{"0000.02MB - C:\\BIG                = (24.0KB) (24576 B)",
                                          "0000.00MB - C:\\SMALL              = (4.0KB) (4096 B)", kRule,
                                          "0000.03MB - E:\\ONE                = (32.0KB) (32768 B)", kRule}));
    EXPECT_EQ(lists.List4.lines(), lists.List1.lines());
    EXPECT_TRUE(lists.List3.lines().empty());
}

TEST_F(AllDrivesSurveyTest, RunningTwiceGivesTheSameSectionsOnce)
{
    window.Form_Load();
    window.Command2_Click();
    const Lines first = window.lists().List1.lines();
    window.Command2_Click();
    EXPECT_EQ(window.lists().List1.lines(), first);
    EXPECT_EQ(window.lists().List4.lines(), first);
}

TEST_F(AllDrivesSurveyTest, DriveWithoutDirectoriesGivesTheRuleAloneAndNoDriveTheHeaderAlone)
{
    test::FakeFileSystem bare{{'C'}};
    bare.addFile("C:\\onlyafile", 10);
    test::FakeDriveQuery onlyC;
    onlyC.set('C', test::driveWithCluster(4096));
    mezumain onBare{{bare, onlyC, windowSystem, clock}};
    onBare.Form_Load();
    onBare.Command2_Click();
    EXPECT_EQ(onBare.lists().List1.lines(), Lines{kRule});

    test::FakeDriveQuery none;
    mezumain nothing{{bare, none, windowSystem, clock}};
    nothing.Form_Load();
    nothing.Command2_Click();
    EXPECT_TRUE(nothing.lists().List1.lines().empty());
    EXPECT_EQ(nothing.lists().List2.count(), 7u);
}

TEST_F(AllDrivesSurveyTest, TheSelectedDriveIsQueriedAgainAfterwards)
{
    // E: is the last drive that answers; without the final query a survey of C: that follows
    // would round with E:'s 32 KiB clusters.
    window.Form_Load();
    const Lines dlistBefore = window.lists().dlist.lines();
    window.Command2_Click();
    EXPECT_EQ(window.lists().dlist.lines(), dlistBefore);
    EXPECT_EQ(window.module().clustersize(), 4096u);
    ASSERT_TRUE(window.openDirectory("C:\\SMALL"));
    window.Command1_Click();
    EXPECT_EQ(window.lists().List1.line(0), "0000.00MB - C:\\SMALL              = (4.0KB) (4096 B)");

    window.Command3_Click();
    EXPECT_EQ(window.module().clustersize(), 4096u);
    EXPECT_EQ(window.lists().dlist.lines(), dlistBefore);

    // What the last drive's figures would have done to the same survey:
    ASSERT_EQ(window.module().drvinfo("E:\\"), 0);
    window.Command1_Click();
    EXPECT_EQ(window.lists().List1.line(0), "0000.03MB - C:\\SMALL              = (32.0KB) (32768 B)");
}

}  // namespace
}  // namespace mezu
