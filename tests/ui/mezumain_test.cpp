// SPDX-License-Identifier: MIT
#include "ui/mezumain.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "fake_file_system.h"
#include "output/report_output.h"
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
    std::vector<char> listed;
    for (const mezumain::Drive1Item& item : window.Drive1Items()) {
        listed.push_back(item.letter);
    }
    EXPECT_EQ(listed, (std::vector<char>{'C', 'D', 'E'}));
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

TEST_F(MainWindowTest, TitleCountsTheDirectoriesTheLastCommandCouldNotRead)
{
    const std::string title = "ディレクトリ容量調査ツール";
    fs.addDirectory("C:\\HOME\\USER\\A").cannotOpen = true;
    fs.addDirectory("C:\\HOME\\USER\\B\\C").enumerationFails = true;
    loaded();
    EXPECT_EQ(window.windowTitle(), title);
    window.Command1_Click();
    EXPECT_EQ(window.windowTitle(), title + "（読み取れないディレクトリ 2）");
    EXPECT_EQ(window.unreadableDirectories().size(), 2u);
    EXPECT_EQ(window.lists().List1.count(), 3u) << "the report is made as before";
    window.Command3_Click();
    EXPECT_EQ(window.windowTitle(), title) << "the next command clears it";
}

TEST_F(MainWindowTest, DriveThatCannotBeOpenedLeavesTheSelectionAndSaysSo)
{
    loaded();
    fs.setDriveUnavailable('E');
    fs.setHostRoot('E', "/media/usb");
    EXPECT_FALSE(window.selectDrive('E'));
    EXPECT_FALSE(window.selectDrive('Q'));
    EXPECT_EQ(window.selection().Drive1, 'C');
    EXPECT_EQ(window.selection().Label1, "C:\\HOME\\USER");
    EXPECT_EQ(window.lists().dlist.count(), 2u);
    EXPECT_EQ(windowSystem.messages,
              (std::vector<std::string>{"ドライブ e: [/media/usb] が見つかりません", "ドライブ q: が見つかりません"}));
}

TEST_F(MainWindowTest, Drive1ListsEachDriveWithItsMountPointAfreshWhenOpened)
{
    const auto captions = [this] {
        std::vector<std::string> shown;
        for (const mezumain::Drive1Item& item : window.Drive1_DropDown()) {
            shown.push_back(item.caption);
        }
        return shown;
    };
    loaded();
    fs.setHostRoot('C', "/");
    fs.setHostRoot('D', "/media/usb");
    EXPECT_EQ(captions(), (std::vector<std::string>{"c: [/]", "d: [/media/usb]", "e:"}))
        << "a drive of no host directory (Windows) shows its letter alone";
    fs.addDrive('A');
    fs.setHostRoot('A', "/dev/shm\x01");
    EXPECT_EQ(captions().front(), "a: [/dev/shm?]") << "a letter given for the run, its path shown safely";
    EXPECT_TRUE(windowSystem.messages.empty());

    ASSERT_TRUE(window.selectDrive('D'));
    fs.removeDrive('D');
    EXPECT_EQ(captions(), (std::vector<std::string>{"a: [/dev/shm?]", "c: [/]", "d: [/media/usb]", "e:"}))
        << "the selected drive stays listed";
    EXPECT_EQ(windowSystem.messages, (std::vector<std::string>{"ドライブ d: [/media/usb] が見つかりません"}));
    EXPECT_EQ(window.selection().Drive1, 'D');
    EXPECT_EQ(window.selection().Label1, "D:\\");
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
        EXPECT_FALSE(window.setSizeMode(SizeMode::Allocated)) << "a survey keeps one measure throughout";
        window.Command1_Click();
        ++attempts;
    };
    window.Command1_Click();
    windowSystem.onYield = nullptr;

    EXPECT_GT(attempts, 0);
    EXPECT_EQ(fs.walksStarted(), 1) << "the refused commands walk nothing";
    EXPECT_FALSE(window.commandRunning());
    EXPECT_EQ(window.sizeMode(), SizeMode::Clusters);
    EXPECT_EQ(window.selection().Label1, "C:\\HOME\\USER");
    EXPECT_EQ(window.lists().List1.count(), 3u);
    EXPECT_EQ(window.lists().List2.count(), 10u);
    EXPECT_EQ(window.lists().List3.line(1), "C:\\HOME\\USER 以下のディレクトリ数： 2");
}

TEST_F(MainWindowTest, DirectoryViewShowsAncestorsThenOpenableSubdirectories)
{
    fs.addDirectory("C:\\HOME\\USER\\zeta");
    fs.addDirectory("C:\\HOME\\USER\\Alpha");
    fs.addDirectory("C:\\HOME\\USER\\beta");
    fs.addDirectory("C:\\HOME\\USER\\.cache");
    fs.addDirectory("C:\\HOME\\USER\\SYS", kAttrSystem);
    fs.addFile("C:\\HOME\\USER\\file", 1);
    loaded();

    std::vector<std::string> shown;
    for (const DirectoryViewEntry& entry : window.Dir1Entries()) {
        shown.push_back(std::string(entry.depth, '>') + entry.label + (entry.isOpen ? "*" : "") + "=" + entry.path);
    }
    EXPECT_EQ(shown, (std::vector<std::string>{"C:\\=C:\\", ">HOME=C:\\HOME", ">>USER*=C:\\HOME\\USER",
                                               ">>>Alpha=C:\\HOME\\USER\\Alpha", ">>>beta=C:\\HOME\\USER\\beta",
                                               ">>>zeta=C:\\HOME\\USER\\zeta"}));
    ASSERT_TRUE(window.openDirectory(window.Dir1Entries()[3].path));
    EXPECT_EQ(window.selection().Label1, "C:\\HOME\\USER\\Alpha");
    ASSERT_TRUE(window.openDirectory(window.Dir1Entries()[0].path));
    EXPECT_EQ(window.Dir1Entries().size(), 2u) << "the root, then its one subdirectory";
}

TEST_F(MainWindowTest, HelpBoxesShowTheirTexts)
{
    window.about_Click();
    window.about_Click();
    window.pgm_Click();
    window.maker_Click();
    window.makekiki_Click();
    ASSERT_EQ(windowSystem.messages.size(), 5u);
    EXPECT_EQ(windowSystem.messages[0], "MEZU.EXE      Ver 1.10\r\r最終更新日:1998/10/23");
    EXPECT_EQ(windowSystem.messages[1], windowSystem.messages[0]);
    EXPECT_EQ(windowSystem.messages[2],
              "ディレクトリ配下全てのファイル容量を算出します。クラスタサイズを考慮し正確に計算しています。"
              "算出値はエクスプローラーと同じですが、複数ある場合は大変ですので、このツールの使用をお勧めします。");
    EXPECT_EQ(windowSystem.messages[3].rfind("作者紹介：\r", 0), 0u);
    EXPECT_GE(std::count(windowSystem.messages[3].begin(), windowSystem.messages[3].end(), '\r'), 2);
    EXPECT_EQ(windowSystem.messages[4].rfind("開発環境：\r", 0), 0u);
    EXPECT_EQ(std::count(windowSystem.messages[4].begin(), windowSystem.messages[4].end(), '\r'), 1);
}

TEST_F(MainWindowTest, StopRequestEndsTheRunningSurveyAtItsNextYield)
{
    for (const char* sub : {"A", "B", "C", "D"}) {
        fs.addFile(std::string{"C:\\HOME\\USER\\"} + sub + "\\f", 1);
    }
    loaded();
    int yieldsAfterStop = 0;
    bool stopped = false;
    windowSystem.onYield = [&] {
        if (stopped) {
            ++yieldsAfterStop;
        } else if (window.lists().List1.count() == 2) {
            window.requestStop();
            stopped = true;
        }
    };
    window.Command1_Click();
    EXPECT_TRUE(stopped);
    EXPECT_LE(yieldsAfterStop, 1);
    EXPECT_LT(window.lists().List1.count(), 5u);
    EXPECT_FALSE(window.commandRunning());
}

TEST_F(MainWindowTest, OnceTheWindowIsClosingNoCommandRuns)
{
    auto files = std::make_shared<test::MemoryFileWriter::Files>();
    test::ScriptedSaveDialog saveDialog;
    test::PassThroughEncoder encoder;
    test::MemoryFileWriter writer{files};
    test::RecordingPrinter printer;
    test::ScriptedOpenDialog openDialog;
    test::MemoryFileReader reader{files};
    mezumain closing{
        {fs, drives, windowSystem, clock, ".", &saveDialog, &encoder, &writer, &printer, &openDialog, &reader}};
    fs.addFile("C:\\HOME\\USER\\A\\f", 1);
    closing.Form_Load();
    closing.Command1_Click();
    const std::vector<std::string> shown = reportLines(closing.lists());
    std::string saved;
    for (const std::string& line : shown) {
        saved += line + "\r\n";
    }
    (*files)["old.txt"] = saved;
    openDialog.answer = "old.txt";
    saveDialog.answers.push_back("new.txt");

    closing.requestStop();
    for (void (mezumain::*command)() :
         {&mezumain::Command1_Click, &mezumain::Command2_Click, &mezumain::Command3_Click, &mezumain::Command4_Click,
          &mezumain::Command5_Click, &mezumain::compareWithEarlierReport}) {
        (closing.*command)();
    }
    EXPECT_EQ(reportLines(closing.lists()), shown);
    EXPECT_EQ(closing.lastReport(), mezumain::Report::DirectorySurvey);
    EXPECT_EQ(fs.walksStarted(), 1);
    EXPECT_TRUE(saveDialog.presets.empty()) << "no dialog opens";
    EXPECT_EQ(files->size(), 1u);
    EXPECT_TRUE(printer.lines.empty());
}

TEST_F(MainWindowTest, ASurveyShowsEachLineAsItGoesAndTheUserCanStopIt)
{
    for (const char* sub : {"A", "B", "C", "D"}) {
        fs.addFile(std::string{"C:\\HOME\\USER\\"} + sub + "\\f", 1);
    }
    loaded();
    const std::string title = "ディレクトリ容量調査ツール";
    std::vector<std::size_t> shown;  // List1's lines at each yield that found more than before
    bool progressInTitle = false;
    windowSystem.onYield = [&] {
        if (shown.empty() || window.lists().List1.count() != shown.back()) {
            shown.push_back(window.lists().List1.count());
        }
        progressInTitle = progressInTitle || window.windowTitle().starts_with(title + "（調査中 ");
    };
    window.Command1_Click();
    EXPECT_EQ(shown, (std::vector<std::size_t>{0, 1, 2, 3, 4, 5})) << "each subdirectory, then the whole tree";
    EXPECT_TRUE(progressInTitle);
    EXPECT_EQ(window.windowTitle(), title);
    const std::vector<std::string> whole = window.lists().List1.lines();

    windowSystem.onYield = [&] {
        if (window.lists().List1.count() == 2) {
            window.stopCommand();
        }
    };
    window.Command1_Click();
    EXPECT_TRUE(window.reportStopped());
    EXPECT_EQ(window.lists().List1.lines(), (std::vector<std::string>{whole[3], whole[4]}))
        << "the trees measured whole, and no partial total";
    EXPECT_EQ(window.lists().List3.lines(), (std::vector<std::string>{"（中止：この報告は途中までです）"}));
    EXPECT_EQ(window.windowTitle(), title + "（中止）");

    windowSystem.onYield = nullptr;
    window.setSizeMode(SizeMode::Allocated);
    window.Command1_Click();
    EXPECT_EQ(window.lists().List1.count(), 5u) << "a stop ends one command only";
    EXPECT_EQ(window.windowTitle(), title + "（実割当）");
}

TEST_F(MainWindowTest, TheResultListsMenuOffersWhatCanBeDoneNow)
{
    fs.addFile("C:\\HOME\\USER\\A\\f", 1);
    fs.addDirectory("C:\\HOME\\USER\\LOCKED").cannotOpen = true;
    loaded();
    const auto enabled = [this](std::optional<std::size_t> line) {
        std::vector<bool> states;
        for (const mezumain::List1MenuItem& item : window.List1Menu(line)) {
            states.push_back(item.enabled);
        }
        return states;
    };
    EXPECT_EQ(enabled(std::nullopt), (std::vector<bool>{false, true, false, true, true, true, true, true}));
    window.Command1_Click();
    EXPECT_EQ(enabled(0), (std::vector<bool>{true, true, true, true, true, true, true, true}));
    window.List1Chosen(mezumain::List1Action::ShowUnreadable, std::nullopt);
    ASSERT_EQ(windowSystem.messages.size(), 1u);
    EXPECT_EQ(windowSystem.messages[0],
              "読み取れなかったディレクトリ（1）：\rC:\\HOME\\USER\\LOCKED：Permission denied");
    window.List1Chosen(mezumain::List1Action::AllocatedSize, std::nullopt);
    window.List1Chosen(mezumain::List1Action::LinksOnce, std::nullopt);
    for (const mezumain::List1MenuItem& item : window.List1Menu(std::nullopt)) {
        EXPECT_EQ(item.checked, item.checkable) << item.caption;
    }
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

namespace mezu {
namespace {

TEST_F(MainWindowTest, DrillsDownIntoAListedDirectoryAndBackUp)
{
    fs.addFile("C:\\HOME\\USER\\BIG\\INNER\\f", 40000);
    fs.addFile("C:\\HOME\\USER\\SMALL\\f", 10);
    fs.addFile("D:\\DOCS\\f", 100000);
    loaded();
    window.Command1_Click();
    const std::vector<std::string> surveyed = window.lists().List1.lines();
    ASSERT_EQ(surveyed.size(), 3u);
    // The line of a directory, whose name may also begin another's.
    auto lineOf = [this](const std::string& path) {
        const std::vector<std::string>& lines = window.lists().List1.lines();
        const auto found = std::find_if(lines.begin(), lines.end(), [&](const std::string& line) {
            return line.find(" - " + path + " ") != std::string::npos;
        });
        return static_cast<std::size_t>(found - lines.begin());
    };
    EXPECT_EQ(window.listedDirectory(lineOf("C:\\HOME\\USER\\BIG")), "C:\\HOME\\USER\\BIG");

    ASSERT_TRUE(window.surveyListedDirectory(lineOf("C:\\HOME\\USER\\BIG")));
    EXPECT_EQ(window.selection().Label1, "C:\\HOME\\USER\\BIG");
    EXPECT_EQ(window.lists().List3.line(1), "C:\\HOME\\USER\\BIG 以下のディレクトリ数： 1");
    const std::vector<double> shares = window.List1Shares();
    ASSERT_EQ(shares.size(), 2u);
    EXPECT_EQ(shares, (std::vector<double>{1.0, 1.0}));

    ASSERT_TRUE(window.surveyParentDirectory());
    EXPECT_EQ(window.lists().List1.lines(), surveyed);
    EXPECT_NEAR(window.List1Shares()[lineOf("C:\\HOME\\USER\\SMALL")], 4096.0 / (40960 + 4096), 1e-9);

    fs.remove("C:\\HOME\\USER\\SMALL");
    EXPECT_FALSE(window.surveyListedDirectory(lineOf("C:\\HOME\\USER\\SMALL"))) << "a directory that has gone";
    EXPECT_FALSE(window.surveyListedDirectory(99));
    EXPECT_EQ(window.lists().List1.lines(), surveyed);

    window.Command2_Click();  // an all-drives line opens on its own drive
    EXPECT_TRUE(window.List1Shares().empty());
    ASSERT_TRUE(window.surveyListedDirectory(lineOf("D:\\DOCS")));
    EXPECT_EQ(window.selection().Label1, "D:\\DOCS");
    EXPECT_EQ(window.module().clustersize(), 32768u);

    window.Command5_Click();  // saving keeps what the lines stand for
    EXPECT_EQ(window.listedDirectory(lineOf("D:\\DOCS")), "D:\\DOCS");

    window.Command3_Click();  // no line of the drive report is a directory
    for (std::size_t i = 0; i < window.lists().List1.count(); ++i) {
        EXPECT_FALSE(window.listedDirectory(i).has_value());
    }
    EXPECT_FALSE(window.surveyParentDirectory());
}

}  // namespace
}  // namespace mezu

namespace mezu {
namespace {

TEST_F(MainWindowTest, ComparesASavedReportWithTheSurveyInTheWindow)
{
    auto files = std::make_shared<test::MemoryFileWriter::Files>();
    test::ScriptedOpenDialog dialog;
    test::MemoryFileReader reader{files};
    test::PassThroughEncoder encoder;
    mezumain comparing{{fs, drives, windowSystem, clock, ".", nullptr, &encoder, nullptr, nullptr, &dialog, &reader}};
    fs.addFile("C:\\HOME\\USER\\A\\f", 1);
    comparing.Form_Load();
    comparing.Command1_Click();
    std::string saved;
    for (const std::string& line : reportLines(comparing.lists())) {
        saved += line + "\r\n";
    }
    (*files)["old.txt"] = saved;
    (*files)["note.txt"] = "hello";
    fs.addFile("C:\\HOME\\USER\\B\\f", 1);
    comparing.Command1_Click();
    const std::vector<std::string> survey = comparing.lists().List1.lines();

    for (const char* unusable : {"note.txt", "missing.txt"}) {
        dialog.answer = unusable;
        comparing.compareWithEarlierReport();
        EXPECT_EQ(comparing.lists().List1.lines(), survey) << unusable;
    }
    EXPECT_EQ(windowSystem.messages.size(), 2u);
    dialog.answer = std::nullopt;
    comparing.compareWithEarlierReport();
    EXPECT_EQ(comparing.lists().List1.lines(), survey);

    dialog.answer = "old.txt";
    comparing.compareWithEarlierReport();
    EXPECT_EQ(comparing.lastReport(), mezumain::Report::Comparison);
    ASSERT_EQ(comparing.lists().List1.count(), 5u);
    EXPECT_EQ(comparing.lists().List1.line(0), "前回 1998/10/23 14:05:09 → 今回 1998/10/23 14:05:09");
    EXPECT_EQ(comparing.lists().List1.line(2), "+0000.00MB - C:\\HOME\\USER (0000.00MB → 0000.01MB) (+4096 B)");
    EXPECT_EQ(comparing.lists().List1.line(3), "+0000.00MB - C:\\HOME\\USER\\B (なし → 0000.00MB) (+4096 B)");
    EXPECT_TRUE(comparing.List1Shares().empty());
    EXPECT_FALSE(comparing.listedDirectory(1).has_value());
}

}  // namespace
}  // namespace mezu

namespace mezu {
namespace {

TEST_F(MainWindowTest, EachLineStandsForItsOwnDirectoryHoweverItsNameIsShown)
{
    // Names the report shows alike ("a" and "a " padded, two controls as "?").
    const struct {
        std::string name;
        std::uint64_t length;
    } directories[] = {{"a", 8192}, {"a ", 53248}, {"c\x01", 4096}, {"c\x02", 12288}};
    for (const auto& [name, length] : directories) {
        fs.addFile("C:\\HOME\\USER\\" + name + "\\f", length);
    }
    loaded();
    window.Command1_Click();
    for (const auto& [name, length] : directories) {
        const std::vector<double> shares = window.List1Shares();
        std::size_t line = 0;
        while (line < shares.size() && std::abs(shares[line] - double(length) / (8192 + 53248 + 4096 + 12288)) > 1e-9) {
            ++line;
        }
        ASSERT_LT(line, shares.size()) << name;
        EXPECT_EQ(window.listedDirectory(line), "C:\\HOME\\USER\\" + name);
        ASSERT_TRUE(window.surveyListedDirectory(line));
        EXPECT_EQ(window.selection().Label1, "C:\\HOME\\USER\\" + name);
        EXPECT_EQ(window.lists().List1.count(), 1u);
        ASSERT_TRUE(window.surveyParentDirectory());
    }
}

}  // namespace
}  // namespace mezu

namespace mezu {
namespace {

// Two names of one file, in two subdirectories, and a file of one name.
void addLinkedFiles(test::FakeFileSystem& fs)
{
    for (const char* path : {"C:\\HOME\\USER\\A\\linked.dat", "C:\\HOME\\USER\\B\\other.DAT"}) {
        test::FakeFileSystem::Node& name = fs.addFile(path, 10000);
        name.links = 2;
        name.fileId = 7;
    }
    fs.addFile("C:\\HOME\\USER\\B\\single.txt", 5000).fileId = 7;  // one name: its number means nothing
}

TEST_F(MainWindowTest, AFileWithSeveralNamesCountsOnceWhenAskedAndTheReportSaysSo)
{
    addLinkedFiles(fs);
    loaded();
    const auto wholeTree = [this] { return window.module().measurements().front().bytes; };
    window.Command1_Click();
    EXPECT_EQ(wholeTree(), ByteTotal{3 * 12288 - 4096}) << "every name counts by default";
    EXPECT_EQ(window.lists().List2.line(2), "ディレクトリ容量調査ツール　Ver 1.10");

    ASSERT_TRUE(window.setLinkCounting(LinkCounting::Once));
    window.Command1_Click();
    EXPECT_EQ(wholeTree(), ByteTotal{12288 + 8192});
    EXPECT_EQ(window.module().linksPassedOver(), 1u);
    EXPECT_EQ(window.lists().List2.line(2), "ディレクトリ容量調査ツール　Ver 1.10（ハードリンク1回）");
    EXPECT_NE(window.windowTitle().find("（ハードリンク1回）"), std::string::npos);
    window.Command1_Click();
    EXPECT_EQ(wholeTree(), ByteTotal{12288 + 8192}) << "each command counts afresh";
}

TEST_F(MainWindowTest, FileReportsListWhatTheWalkCountedAndTheLargestLeadToTheirFolders)
{
    addLinkedFiles(fs);
    fs.addFile("C:\\HOME\\USER\\README", 1).modified = 909140709;  // 1998-10-23 10:05:09 UTC
    loaded();

    window.surveyFiles(FileReport::Largest);
    const LineList& body = window.lists().List1;
    ASSERT_EQ(body.count(), 4u);
    EXPECT_EQ(window.lists().List2.line(9), "C:\\HOME\\USER 以下の大きいファイル 100 件");
    EXPECT_NE(body.line(0).find("C:\\HOME\\USER\\A\\linked.dat"), std::string::npos) << "equal sizes by path";
    EXPECT_NE(body.line(1).find("C:\\HOME\\USER\\B\\other.DAT"), std::string::npos);
    EXPECT_NE(body.line(3).find("1998/10/23"), std::string::npos) << body.line(3);
    EXPECT_NE(body.line(0).find("----/--/--"), std::string::npos) << "no date known";
    EXPECT_EQ(window.lists().List3.line(1), "調べたファイル数： 4");
    EXPECT_EQ(window.List1Shares().size(), 4u);

    ASSERT_TRUE(window.surveyListedDirectory(1));
    EXPECT_EQ(window.selection().Label1, "C:\\HOME\\USER\\B");
    EXPECT_EQ(window.lastReport(), mezumain::Report::DirectorySurvey);

    window.openDirectory("C:\\HOME\\USER");
    window.surveyFiles(FileReport::Largest);
    fs.remove("C:\\HOME\\USER\\A\\linked.dat");
    EXPECT_FALSE(window.surveyListedDirectory(0)) << "a file removed since names nothing";
    EXPECT_EQ(window.lastReport(), mezumain::Report::LargestFiles);

    window.surveyFiles(FileReport::Kinds);
    EXPECT_EQ(window.lists().List1.count(), 3u) << "dat, txt and no extension";
    EXPECT_NE(window.lists().List1.line(0).find("dat"), std::string::npos);
    EXPECT_FALSE(window.listedDirectory(0).has_value());
    window.surveyFiles(FileReport::Ages);
    EXPECT_EQ(window.fileFindings().ages.back().band, AgeBand::Unknown);
    EXPECT_EQ(window.fileFindings().examined, 3u);
}

}  // namespace
}  // namespace mezu
