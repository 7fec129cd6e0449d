#include "ui/mezumain.h"

#include <gtest/gtest.h>

#include "fake_file_system.h"
#include "fakes.h"

namespace mezu {
namespace {

class MainWindowTest : public ::testing::Test {
protected:
    MainWindowTest()
    {
        drives.set('C', test::driveWithCluster(4096));
        drives.set('D', test::driveWithCluster(32768, 1024, 10));
    }

    // The process starts in C:\HOME\USER.
    static test::FakeFileSystem startingFileSystem()
    {
        test::FakeFileSystem fs{{'C', 'D', 'E'}};
        fs.addDirectory("C:\\HOME\\USER");
        fs.addDirectory("D:\\DOCS\\OLD");
        fs.addDirectory("E:\\X");
        fs.changeDirectory("C:\\HOME\\USER");
        return fs;
    }

    mezumain& loaded()
    {
        window.Form_Load();
        return window;
    }

    test::FakeFileSystem fs = startingFileSystem();
    test::FakeDriveQuery drives;
    test::RecordingWindowSystem windowSystem;
    test::FixedClock clock;
    mezumain window{{fs, drives, windowSystem, clock}};
};

TEST_F(MainWindowTest, StartsOnTheWorkingDirectoryWithItsDrive)
{
    EXPECT_EQ(window.selection().Label1, "") << "empty until the window loads";
    loaded();
    EXPECT_EQ(window.selection().Drive1, 'C');
    EXPECT_EQ(window.selection().Label1, "C:\\HOME\\USER");
    EXPECT_EQ(window.lists().dlist.line(0), "C drive: Total = 255 MB, Free = 125 MB");
    EXPECT_EQ(window.module().clustersize(), 4096u);
    EXPECT_EQ(window.drives(), (std::vector<char>{'C', 'D', 'E'}));
}

TEST_F(MainWindowTest, PickingADriveOpensItsCurrentDirectory)
{
    loaded();
    fs.changeDirectory("D:\\DOCS\\OLD");
    ASSERT_TRUE(window.selectDrive('d'));
    EXPECT_EQ(window.selection().Drive1, 'D');
    EXPECT_EQ(window.selection().Label1, "D:\\DOCS\\OLD");
    EXPECT_EQ(window.lists().dlist.line(0), "D drive: Total = 32 MB, Free = 0 MB");
    EXPECT_EQ(window.module().clustersize(), 32768u);
}

TEST_F(MainWindowTest, AfterASurveyADriveOpensWhereTheWalkEnded)
{
    fs.addDirectory("C:\\HOME\\USER\\SUB");
    loaded();
    window.Command1_Click();
    ASSERT_TRUE(window.selectDrive('E'));
    ASSERT_TRUE(window.selectDrive('C'));
    EXPECT_EQ(window.selection().Label1, "C:\\HOME\\USER\\SUB");
}

TEST_F(MainWindowTest, DriveThatCannotBeOpenedLeavesTheSelection)
{
    loaded();
    fs.setDriveUnavailable('E');
    EXPECT_FALSE(window.selectDrive('E'));
    EXPECT_FALSE(window.selectDrive('Q'));
    EXPECT_EQ(window.selection().Drive1, 'C');
    EXPECT_EQ(window.selection().Label1, "C:\\HOME\\USER");
    EXPECT_EQ(window.lists().dlist.count(), 2u);
}

TEST_F(MainWindowTest, DriveWhoseQueryFailsShowsThePathAndNoFigures)
{
    loaded();
    ASSERT_TRUE(window.selectDrive('E'));
    EXPECT_EQ(window.selection().Label1, "E:\\");
    EXPECT_EQ(window.lists().dlist.count(), 0u);
    EXPECT_EQ(window.module().clustersize(), 4096u);
}

TEST_F(MainWindowTest, DriveWhoseCurrentDirectoryHasGoneOpensAtItsRoot)
{
    loaded();
    fs.changeDirectory("D:\\DOCS\\OLD");
    fs.remove("D:\\DOCS\\OLD");
    ASSERT_TRUE(window.selectDrive('D'));
    EXPECT_EQ(window.selection().Label1, "D:\\");
}

TEST_F(MainWindowTest, OpeningADirectoryChangesTheLabelOnly)
{
    loaded();
    const std::vector<std::string> dlist = window.lists().dlist.lines();
    ASSERT_TRUE(window.openDirectory("C:\\HOME"));
    EXPECT_EQ(window.selection().Label1, "C:\\HOME");
    EXPECT_EQ(window.lists().dlist.lines(), dlist);
    EXPECT_FALSE(window.openDirectory("C:\\NOWHERE"));
    EXPECT_EQ(window.selection().Label1, "C:\\HOME");
}

TEST_F(MainWindowTest, NothingNestedRunsWhileACommandRuns)
{
    fs.addFile("C:\\HOME\\USER\\A\\f", 4096);
    fs.addFile("C:\\HOME\\USER\\B\\f", 4096);
    loaded();
    int attempts = 0;
    windowSystem.onYield = [&] {
        EXPECT_TRUE(window.commandRunning());
        EXPECT_FALSE(window.selectDrive('D'));
        EXPECT_FALSE(window.openDirectory("C:\\HOME"));
        window.Command1_Click();
        ++attempts;
    };
    window.Command1_Click();
    windowSystem.onYield = nullptr;

    EXPECT_GT(attempts, 0);
    EXPECT_FALSE(window.commandRunning());
    EXPECT_EQ(window.selection().Label1, "C:\\HOME\\USER");
    EXPECT_EQ(window.lists().List1.count(), 3u);
    EXPECT_EQ(window.lists().List2.count(), 10u);
    EXPECT_EQ(window.lists().List3.line(1), "C:\\HOME\\USER 以下のディレクトリ数： 2");
}

TEST_F(MainWindowTest, SortcmdSortsList1)
{
    window.lists().List1.add("0001.00MB - a");
    window.lists().List1.add("0002.00MB - b");
    window.sortcmd();
    EXPECT_EQ(window.lists().List1.line(0), "0002.00MB - b");
}

}  // namespace
}  // namespace mezu
