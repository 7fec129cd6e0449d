// SPDX-License-Identifier: MIT
// The main window's logic without any drawing: its lists, the drive and directory selection
// with Label1, and the event handlers. A view binds its controls to this object and forwards
// the user's actions to it; a headless front end drives it directly.
//
// Only one command runs at a time: while one is running (and yielding to the window system),
// further commands and selection changes are refused, so nothing nested can change the lists,
// the selection or the cluster size under it.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/mezucom.h"
#include "engine/window_system.h"
#include "model/selection.h"
#include "model/window_lists.h"
#include "output/printer.h"
#include "platform/clock.h"
#include "platform/drive_query.h"
#include "platform/file_system.h"
#include "platform/report_file_reader.h"
#include "platform/report_file_writer.h"
#include "platform/text_encoder.h"
#include "survey/file_report_survey.h"
#include "ui/directory_view.h"
#include "ui/open_dialog.h"
#include "ui/save_dialog.h"

namespace mezu {

class mezumain {
public:
    // The platform services; the caller keeps each alive for as long as the window.
    struct Services {
        FileSystem& fileSystem;
        DriveQuery& driveQuery;
        WindowSystem& windowSystem;
        const Clock& clock;
        std::string decimalSeparator = ".";
        // The output commands' services; a command whose services are missing does nothing.
        SaveDialog* saveDialog = nullptr;
        const TextEncoder* encoder = nullptr;
        ReportFileWriter* fileWriter = nullptr;
        Printer* printer = nullptr;
        // The comparison's services; without them it does nothing.
        OpenDialog* openDialog = nullptr;
        ReportFileReader* fileReader = nullptr;
    };

    // Creates the window on the process's current drive and directory; Label1 stays empty
    // until Form_Load.
    explicit mezumain(Services services);

    WindowLists& lists() { return lists_; }
    const WindowLists& lists() const { return lists_; }
    const Selection& selection() const { return selection_; }
    mezucom& module() { return module_; }
    // One line of Drive1: the drive, the host directory it stands for where drives are host
    // directories (nullopt on Windows), and its caption, "d: [/boot]" or "d:".
    struct Drive1Item {
        char letter;
        std::optional<std::string> mountPoint;
        std::string caption;
    };
    // The drives Drive1 offers, asked for afresh, so that a letter given for the run shows once
    // it exists. The selected drive stays listed when it has gone, so the selection can stay.
    std::vector<Drive1Item> Drive1Items() const;
    // Drive1's list opens: its lines, as Drive1Items; a selected drive that has gone (its root
    // no longer opens) is said so in a message, and stays selected.
    std::vector<Drive1Item> Drive1_DropDown();
    bool commandRunning() const { return commandRunning_; }

    // The window's title: the tool's name, then what the user must know of the report on
    // screen: made in the allocated size mode ("（実割当）"), a comparison, stopped before its
    // end ("（中止）"), or missing directories it could not read ("（読み取れないディレクトリ
    // 3）"). While a command runs, how many directories it has read so far instead.
    std::string windowTitle() const;
    // Shows in a message box which directories the last report could not read, and why.
    void showUnreadableDirectories();
    // The directories the last command could not read, each once, in the order met.
    const std::vector<SkippedDirectory>& unreadableDirectories() const { return module_.skippedDirectories(); }

    void Form_Load();

    // The user picks a drive in Drive1: Dir1 opens that drive's current directory (its root if
    // that has gone) and Drive1_Change runs. Returns false, leaving the selection and dlist on
    // the previous drive, when a command is running or the drive cannot be opened; the latter
    // is said in a message ("ドライブ d: [/media/usb] が見つかりません").
    bool selectDrive(char letter);
    // The user opens a directory in Dir1 (a full drive path). Returns false, changing nothing,
    // when it does not exist or a command is running.
    bool openDirectory(const std::string& path);

    // The lines Dir1 shows for its open directory.
    std::vector<DirectoryViewEntry> Dir1Entries()
    {
        return directoryViewEntries(services_.fileSystem, selection_.Dir1);
    }

    // The directory size survey of the directory in Label1.
    void Command1_Click();
    // The all-drives directory survey (the button out of view, reached through the focus order).
    void Command2_Click();
    // The all-drives information report.
    void Command3_Click();
    // Prints the report on the default printer; a failure shows "プリンターエラーです".
    void Command4_Click();
    // Saves the report to the file named in the Save dialog Cob1 (Shift_JIS, CR LF). A
    // cancelled dialog writes nothing; a failed save shows "ファイル出力エラーです" and leaves
    // any existing file as it was.
    void Command5_Click();
    // The file name the Save dialog starts from: "MEZU.TXT", then the last name chosen.
    const std::string& Cob1FileName() const { return cob1FileName_; }
    // Sorts List1 largest first.
    void sortcmd();

    // The report List1 holds, as the last command left it.
    enum class Report {
        None,
        DirectorySurvey,
        AllDrivesSurvey,
        DriveInformation,
        Comparison,
        LargestFiles,
        FileKinds,
        FileAges,
    };
    Report lastReport() const { return lastReport_; }
    // The report of the files below the directory in Label1 (its largest files, `count` of them,
    // by kind, by age), made in one walk with the size mode and link counting of a survey.
    void surveyFiles(FileReport report, std::size_t count = LargestFiles::kDefaultCount);
    // What the file report on screen found; empty after any other report.
    const FileFindings& fileFindings() const { return fileFindings_; }

    // The directory that List1's line `index` names: of a survey's result line, or the folder
    // of a file in the largest files while that file is still there.
    std::optional<std::string> listedDirectory(std::size_t index) const;
    // Drill down: opens the directory of List1's line `index` in Dir1 (on its own drive) and
    // surveys it. Returns false, doing nothing, for a line that names no directory, a
    // directory that has gone, or while a command runs.
    bool surveyListedDirectory(std::size_t index);
    // Back up: opens the parent of the last surveyed directory and surveys it. Returns false,
    // doing nothing, at a drive's root, when List1 holds no directory survey, or while a
    // command runs.
    bool surveyParentDirectory();
    // After a directory survey or a file report, each line's share of the whole tree, from 0 to
    // 1, in List1's order; empty after any other report.
    std::vector<double> List1Shares() const;
    // Compares a saved survey report, chosen in the Open dialog, with the survey in the window
    // (made first, of the directory in Label1, when the window shows none): the comparison
    // replaces the report until the next command. A cancelled dialog changes nothing; a file
    // that cannot be read, or is no survey report, shows a message and changes nothing.
    void compareWithEarlierReport();

    // How surveys count each file: in whole clusters (the default) or as the file system
    // reports them allocated. A new mode applies from the next survey; the report on screen
    // keeps the figures, and the title, it was made with. Returns false, changing nothing,
    // while a command runs.
    SizeMode sizeMode() const { return module_.sizeMode(); }
    bool setSizeMode(SizeMode mode);
    // Whether a file with several names counts at each (the default) or once in a command, for
    // surveys and file reports alike; as setSizeMode.
    LinkCounting linkCounting() const { return module_.linkCounting(); }
    bool setLinkCounting(LinkCounting counting);

    // The help menu: each shows its box.
    void pgm_Click();
    void maker_Click();
    void makekiki_Click();
    void about_Click();

    // Asks the running command to stop at its next yield because the window is closing. What
    // it built so far stays in the lists; later commands, the comparison too, do nothing.
    void requestStop()
    {
        closing_ = true;
        module_.requestStop();
    }
    bool closing() const { return closing_; }
    // The user stops the running command (Esc): it ends at its next yield, the lines of the
    // trees it measured whole stay, and the report says it was stopped. Nothing while no
    // command runs.
    void stopCommand();
    bool reportStopped() const { return reportStopped_; }

    // The result list's context menu, for the line `line` (none when no line is chosen): what
    // each item does, its caption and whether it can be chosen now.
    enum class List1Action {
        SurveyLine,
        Compare,
        ShowUnreadable,
        LargestFiles,
        FileKinds,
        FileAges,
        AllocatedSize,
        LinksOnce,
    };
    struct List1MenuItem {
        List1Action action;
        std::string caption;
        bool enabled = true;
        bool checkable = false;
        bool checked = false;
        bool separatorBefore = false;
    };
    std::vector<List1MenuItem> List1Menu(std::optional<std::size_t> line) const;
    // Whether the item makes a report of its own in place of the one shown.
    static bool replacesReport(List1Action action)
    {
        return action == List1Action::SurveyLine || action == List1Action::Compare ||
               action == List1Action::LargestFiles || action == List1Action::FileKinds ||
               action == List1Action::FileAges;
    }

    // The report on screen with all that its lines stand for, to put back when a command
    // that would replace it fails part-way (memory ran out).
    struct ShownReport {
        LineList List1;
        LineList List2;
        LineList List3;
        std::vector<TreeMeasurement> measurements;
        std::vector<SkippedDirectory> unreadable;
        Report report = Report::None;
        SizeMode sizeMode = SizeMode::Clusters;
        LinkCounting linkCounting = LinkCounting::EveryLink;
        std::string surveyedDirectory;
        bool stopped = false;
        FileFindings fileFindings;
    };
    ShownReport shownReport() const;
    void showReport(ShownReport report);
    // Does what the item does; a view runs it as it runs a command.
    void List1Chosen(List1Action action, std::optional<std::size_t> line);

private:
    class CommandScope;

    void Drive1_Change();
    void Dir1_Change();
    // Sets Dir1's path (a drive designation "D:" opens that drive's current directory) and
    // raises Dir1_Change. Returns false, changing nothing, for a directory that cannot be opened.
    bool setDir1Path(const std::string& path);
    // After a command that queried every drive: dlist and the cluster size describe the
    // selected directory's drive again, so that a survey that follows rounds correctly.
    void requerySelectedDrive();
    // Shows that the drive cannot be opened.
    void showDriveGone(char drive);
    // The drive's current directory, or its root if that has gone; empty if neither opens.
    std::string openableDirectoryOfDrive(char drive);
    // Opens `directory` (on any drive, with that drive's figures) and surveys it.
    bool openAndSurvey(const std::string& directory);

    Services services_;
    WindowLists lists_;
    Selection selection_;
    mezucom module_;
    bool commandRunning_ = false;
    std::string cob1FileName_;
    Report lastReport_ = Report::None;
    SizeMode reportSizeMode_ = SizeMode::Clusters;  // of the survey on screen
    LinkCounting reportLinkCounting_ = LinkCounting::EveryLink;
    FileFindings fileFindings_;
    bool closing_ = false;
    bool reportStopped_ = false;
    std::string surveyedDirectory_;  // the directory of the last directory survey
};

// A drive as drive lists show it: its lower-case letter, a colon and, when there is one, what
// tells it apart (its mount point, or on Windows its volume label) in brackets: "d: [/boot]".
std::string driveCaption(char letter, std::string_view detail);

}  // namespace mezu
