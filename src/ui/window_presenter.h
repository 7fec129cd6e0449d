// SPDX-License-Identifier: MIT
// What the main window does with each thing the user does, for every toolkit: a window
// implements WindowView with its controls and forwards the user's actions to WindowPresenter,
// which runs them on the window logic (`mezumain`) and tells the view what to show. A command
// runs with the commands and selectors disabled, out of memory it costs itself only, and
// afterwards the focus is back on the control that started it. Once the window is closing no
// command runs; one that was running is stopped and the program ends when it has returned.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/window_system.h"
#include "ui/directory_view.h"
#include "ui/mezumain.h"
#include "ui/out_of_memory.h"

namespace mezu {

// The controls a command can start from, which get the focus back after it.
enum class WindowControl { Command1, Command2, Command3, Command4, Command5, List1 };

// A command button: its caption and what it runs.
struct CommandButton {
    WindowControl control;
    std::string_view caption;
    void (mezumain::*handler)();
    ReportEffect effect;
};
inline constexpr std::array<CommandButton, 5> kCommandButtons{{
    {WindowControl::Command1, "ディレクトリ容量調査", &mezumain::Command1_Click, ReportEffect::Replaces},
    {WindowControl::Command2, "Command2", &mezumain::Command2_Click, ReportEffect::Replaces},
    {WindowControl::Command3, "ドライブ情報", &mezumain::Command3_Click, ReportEffect::Replaces},
    // Printing and saving only read the report on screen.
    {WindowControl::Command4, "印　刷", &mezumain::Command4_Click, ReportEffect::Reads},
    {WindowControl::Command5, "File出力", &mezumain::Command5_Click, ReportEffect::Reads},
}};

// The help menu ("help"), in its order.
struct HelpMenuItem {
    std::string_view caption;
    void (mezumain::*handler)();
};
inline constexpr std::string_view kHelpMenuCaption = "help";
inline constexpr std::array<HelpMenuItem, 4> kHelpMenu{{
    {"プログラムの説明", &mezumain::pgm_Click},
    {"作者紹介", &mezumain::maker_Click},
    {"開発環境", &mezumain::makekiki_Click},
    {"プログラムのバージョン", &mezumain::about_Click},
}};

// The window's controls as the presenter sees them. Texts are UTF-8, already in the form they
// are shown in (a control character as "?").
class WindowView {
public:
    virtual ~WindowView() = default;
    // List1 and dlist show their lists as they stand now.
    virtual void showLists() = 0;
    virtual void showTitle(const std::string& title) = 0;
    virtual void showLabel1(const std::string& path) = 0;
    // Drive1 holds these drives; then selectDrive1 picks one.
    virtual void showDrive1(const std::vector<mezumain::Drive1Item>& drives) = 0;
    virtual void selectDrive1(char letter) = 0;
    // Dir1 holds these lines, its open directory selected.
    virtual void showDir1(const std::vector<DirectoryViewEntry>& lines) = 0;
    // Each List1 line's share of the whole, in List1's order; empty: no bars.
    virtual void showShares(const std::vector<double>& shares) = 0;
    // The commands, Drive1 and Dir1 can be used, or not while a command runs.
    virtual void enableControls(bool enabled) = 0;
    // After a command: the pointer it asked for last, and the focus on the control.
    virtual void showRequestedPointer() = 0;
    virtual void focus(WindowControl control) = 0;
    // The window closed during a command, which has now returned.
    virtual void endProgram() = 0;
};

class WindowPresenter {
public:
    // Borrows the logic, the view and the window system; they outlive the presenter.
    WindowPresenter(mezumain& window, WindowView& view, WindowSystem& windowSystem);

    // Whether Dir1 reads its open directory again: always, or only when it has moved to
    // another directory (after a command, which leaves the directories as they were).
    enum class Dir1Listing { Always, IfMoved };
    // Shows the lists, the title, Label1, Drive1's choice and Dir1 as they stand.
    void refresh(Dir1Listing listing = Dir1Listing::Always);
    // While a command runs, at each yield: the lists as they grow and the title.
    void showProgress();

    // Drive1 shows the drives as they are now: when the window is built, and as its list opens
    // (when the selected drive has gone, a message says so).
    void showDrives();
    void drive1DropsDown();
    // The user chose a drive in Drive1; choosing the one selected changes nothing.
    void driveChosen(char letter);
    // The user opened Dir1's line `row` (of the lines last shown); none: Dir1 is shown again.
    void dir1Opened(std::optional<std::size_t> row);

    // The user pressed a command button.
    void commandClicked(WindowControl button);
    void helpChosen(std::size_t item);
    // Double click or Enter on List1's line `row`: surveys its directory; nothing for a line
    // that names none.
    void list1Activated(std::optional<std::size_t> row);
    // Backspace in List1: the survey of the surveyed directory's parent.
    void list1Backspace();
    // The context menu of List1 for the line `line`, and the user's choice in it.
    std::vector<mezumain::List1MenuItem> list1Menu(std::optional<std::size_t> line) const;
    void list1MenuChosen(mezumain::List1Action action, std::optional<std::size_t> line);
    // Esc: a running command stops.
    void escapePressed();
    // The user closes the window. True when it must stay until the running command has
    // returned (the presenter then calls endProgram); false when it can go now.
    bool closeRequested();

private:
    void runCommand(WindowControl focusAfter, ReportEffect effect, const std::function<void()>& command);
    void refreshSelection(Dir1Listing listing);

    mezumain& window_;
    WindowView& view_;
    WindowSystem& windowSystem_;
    std::string shownTitle_;
    std::string shownDir1_;                        // the directory Dir1 lists
    std::vector<DirectoryViewEntry> dir1Entries_;  // what Dir1 lists, with the paths as they are
};

}  // namespace mezu
