// SPDX-License-Identifier: MIT
// What the presenter tells a window to show, and when, over the window logic on a fake machine.
#include "ui/window_presenter.h"

#include <gtest/gtest.h>

#include <new>

#include "fake_file_system.h"
#include "fakes.h"

namespace mezu {
namespace {

// Records what it is told, as a window would show it.
class RecordingView final : public WindowView {
public:
    void showLists() override {}
    void showTitle(const std::string& title) override { titles.push_back(title); }
    void showLabel1(const std::string& path) override { label1 = path; }
    void showDrive1(const std::vector<mezumain::Drive1Item>&) override {}
    void selectDrive1(char letter) override { drive1 = letter; }
    void showDir1(const std::vector<DirectoryViewEntry>& lines) override { dir1.push_back(lines); }
    void showShares(const std::vector<double>& shown) override { shares = shown; }
    void enableControls(bool enabled) override { enabling.push_back(enabled); }
    void showRequestedPointer() override {}
    void focus(WindowControl control) override { focused.push_back(control); }
    void endProgram() override { ++ended; }

    std::vector<std::string> titles;
    std::string label1;
    char drive1 = '\0';
    std::vector<std::vector<DirectoryViewEntry>> dir1;  // each showing
    std::vector<double> shares;
    std::vector<bool> enabling;
    std::vector<WindowControl> focused;
    int ended = 0;
};

class WindowPresenterTest : public ::testing::Test {
protected:
    WindowPresenterTest()
    {
        drives.set('C', test::driveWithCluster(4096));
        drives.set('D', test::driveWithCluster(32768));
        window.Form_Load();
        presenter.refresh();
    }

    // The window starts in C:\WORK.
    static test::FakeFileSystem machine()
    {
        test::FakeFileSystem fs{{'C', 'D'}};
        fs.addFile("C:\\WORK\\BIG\\f", 100000);
        fs.addFile("C:\\WORK\\SMALL\\f", 1);
        fs.addDirectory("C:\\WORK\\tab\there");
        fs.changeDirectory("C:\\WORK");
        return fs;
    }

    test::FakeFileSystem fs = machine();
    test::FakeDriveQuery drives;
    test::RecordingWindowSystem windowSystem;
    test::FixedClock clock;
    mezumain window{{fs, drives, windowSystem, clock}};
    RecordingView view;
    WindowPresenter presenter{window, view, windowSystem};
};

TEST_F(WindowPresenterTest, ACommandRunsWithTheControlsDisabledAndGivesTheFocusBack)
{
    for (const CommandButton& button : kCommandButtons) {
        view.enabling.clear();
        presenter.commandClicked(button.control);
        EXPECT_EQ(view.enabling, (std::vector<bool>{false, true})) << button.caption;
        EXPECT_EQ(view.focused.back(), button.control) << button.caption;
    }
    presenter.commandClicked(WindowControl::Command1);
    EXPECT_EQ(view.shares, window.List1Shares());
    EXPECT_FALSE(view.shares.empty());
    presenter.commandClicked(WindowControl::Command3);
    EXPECT_TRUE(view.shares.empty()) << "the drive report has no bars";

    view.enabling.clear();
    presenter.list1Activated(1);  // a line of the drive report names no directory
    presenter.list1Activated(std::nullopt);
    EXPECT_TRUE(view.enabling.empty());
    EXPECT_EQ(view.titles.back(), window.windowTitle());
}

TEST_F(WindowPresenterTest, NothingRunsOnceTheWindowIsClosing)
{
    int closes = 0;
    windowSystem.onYield = [&] {
        if (closes++ == 0) {
            EXPECT_TRUE(presenter.closeRequested()) << "the window waits for the running command";
            presenter.commandClicked(WindowControl::Command3);
        }
    };
    presenter.commandClicked(WindowControl::Command1);
    EXPECT_EQ(view.enabling, (std::vector<bool>{false, true}));
    EXPECT_EQ(view.ended, 1);

    presenter.commandClicked(WindowControl::Command3);
    presenter.list1Backspace();
    presenter.list1MenuChosen(mezumain::List1Action::Compare, std::nullopt);
    EXPECT_EQ(view.enabling.size(), 2u);
    EXPECT_EQ(view.ended, 1);
}

TEST_F(WindowPresenterTest, ClosingAnIdleWindowLetsItGoAndRunsNothingMore)
{
    EXPECT_FALSE(presenter.closeRequested());
    presenter.commandClicked(WindowControl::Command1);
    EXPECT_TRUE(view.enabling.empty());
    EXPECT_EQ(view.ended, 0);
}

TEST_F(WindowPresenterTest, Dir1ShowsNamesSafelyOpensTheRealPathAndIsReadOnlyWhenMoved)
{
    ASSERT_EQ(view.dir1.size(), 1u);
    std::vector<std::string> labels;
    for (const DirectoryViewEntry& line : view.dir1.back()) {
        labels.push_back(line.label);
    }
    EXPECT_EQ(labels, (std::vector<std::string>{"C:\\", "WORK", "BIG", "SMALL", "tab?here"}));

    presenter.commandClicked(WindowControl::Command1);
    EXPECT_EQ(view.dir1.size(), 1u) << "a survey leaves Dir1 where it was";
    presenter.dir1Opened(4);
    EXPECT_EQ(window.selection().Label1, "C:\\WORK\\tab\there");
    EXPECT_EQ(view.label1, "C:\\WORK\\tab?here");
    presenter.dir1Opened(std::nullopt);
    EXPECT_EQ(window.selection().Label1, "C:\\WORK\\tab\there");
    EXPECT_EQ(view.dir1.size(), 3u) << "each opening shows Dir1 afresh";
}

TEST_F(WindowPresenterTest, ChoosingTheSelectedDriveAgainChangesNothing)
{
    presenter.commandClicked(WindowControl::Command1);  // the walk leaves C:'s current directory below WORK
    const std::size_t shown = view.dir1.size();
    presenter.driveChosen('C');
    EXPECT_EQ(view.dir1.size(), shown);
    EXPECT_EQ(window.selection().Label1, "C:\\WORK");
    presenter.driveChosen('D');
    EXPECT_EQ(view.label1, "D:\\");
    EXPECT_EQ(view.drive1, 'D');
}

TEST_F(WindowPresenterTest, ACommandShortOfMemoryKeepsTheBarsOfTheReportBefore)
{
    presenter.commandClicked(WindowControl::Command1);
    const std::vector<double> before = view.shares;
    windowSystem.onYield = [] { throw std::bad_alloc{}; };
    presenter.commandClicked(WindowControl::Command1);
    EXPECT_EQ(windowSystem.messages, std::vector<std::string>{std::string{kOutOfMemoryMessage}});
    EXPECT_EQ(view.shares, before);
    EXPECT_EQ(view.enabling.back(), true);
    EXPECT_EQ(view.focused.back(), WindowControl::Command1);
}

}  // namespace
}  // namespace mezu
