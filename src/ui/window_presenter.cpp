// SPDX-License-Identifier: MIT
#include "ui/window_presenter.h"

#include <algorithm>

#include "model/path_text.h"

namespace mezu {

WindowPresenter::WindowPresenter(mezumain& window, WindowView& view, WindowSystem& windowSystem)
    : window_(window),
      view_(view),
      windowSystem_(windowSystem)
{
}

void WindowPresenter::refresh(Dir1Listing listing)
{
    showProgress();
    refreshSelection(listing);
}

void WindowPresenter::showProgress()
{
    view_.showLists();
    std::string title = window_.windowTitle();
    if (title != shownTitle_) {
        shownTitle_ = std::move(title);
        view_.showTitle(shownTitle_);
    }
}

void WindowPresenter::refreshSelection(Dir1Listing listing)
{
    const Selection& selection = window_.selection();
    view_.showLabel1(displayPath(selection.Label1));
    view_.selectDrive1(selection.Drive1);
    if (listing == Dir1Listing::IfMoved && !dir1Entries_.empty() && shownDir1_ == selection.Dir1) {
        return;
    }
    shownDir1_ = selection.Dir1;
    dir1Entries_ = window_.Dir1Entries();
    std::vector<DirectoryViewEntry> shown = dir1Entries_;
    for (DirectoryViewEntry& line : shown) {
        line.label = displayPath(line.label);
    }
    view_.showDir1(shown);
}

void WindowPresenter::showDrives()
{
    view_.showDrive1(window_.Drive1Items());
    view_.selectDrive1(window_.selection().Drive1);
}

void WindowPresenter::drive1DropsDown()
{
    view_.showDrive1(window_.Drive1_DropDown());
    view_.selectDrive1(window_.selection().Drive1);
}

void WindowPresenter::driveChosen(char letter)
{
    // The selector reports a choice even of the drive already selected.
    if (letter == '\0' || letter == window_.selection().Drive1) {
        return;
    }
    window_.selectDrive(letter);
    refresh();
}

void WindowPresenter::dir1Opened(std::optional<std::size_t> row)
{
    if (row && *row < dir1Entries_.size()) {
        // A copy: refreshing replaces the entries.
        const std::string path = dir1Entries_[*row].path;
        window_.openDirectory(path);
    }
    refresh();
}

void WindowPresenter::commandClicked(WindowControl button)
{
    const auto found = std::find_if(kCommandButtons.begin(), kCommandButtons.end(),
                                    [button](const CommandButton& command) { return command.control == button; });
    if (found != kCommandButtons.end()) {
        runCommand(button, found->effect, [this, handler = found->handler] { (window_.*handler)(); });
    }
}

void WindowPresenter::helpChosen(std::size_t item)
{
    if (item < kHelpMenu.size()) {
        (window_.*kHelpMenu[item].handler)();
    }
}

void WindowPresenter::list1Activated(std::optional<std::size_t> row)
{
    if (!row || !window_.listedDirectory(*row)) {
        return;
    }
    runCommand(WindowControl::List1, ReportEffect::Replaces, [this, row] { window_.surveyListedDirectory(*row); });
}

void WindowPresenter::list1Backspace()
{
    runCommand(WindowControl::List1, ReportEffect::Replaces, [this] { window_.surveyParentDirectory(); });
}

std::vector<mezumain::List1MenuItem> WindowPresenter::list1Menu(std::optional<std::size_t> line) const
{
    return window_.List1Menu(line);
}

void WindowPresenter::list1MenuChosen(mezumain::List1Action action, std::optional<std::size_t> line)
{
    runCommand(WindowControl::List1, mezumain::replacesReport(action) ? ReportEffect::Replaces : ReportEffect::Reads,
               [this, action, line] { window_.List1Chosen(action, line); });
}

void WindowPresenter::escapePressed()
{
    window_.stopCommand();
}

bool WindowPresenter::closeRequested()
{
    const bool running = window_.commandRunning();
    window_.requestStop();
    return running;
}

void WindowPresenter::runCommand(WindowControl focusAfter, ReportEffect effect, const std::function<void()>& command)
{
    if (window_.commandRunning() || window_.closing()) {
        return;
    }
    view_.enableControls(false);
    view_.showShares({});
    runWithinMemory(window_, windowSystem_, effect, command);
    view_.showRequestedPointer();
    refresh(Dir1Listing::IfMoved);
    view_.showShares(window_.List1Shares());
    view_.enableControls(true);
    // Disabling the control moved the focus away; it comes back so that Space repeats the
    // command and Tab goes on from it.
    view_.focus(focusAfter);
    if (window_.closing()) {
        view_.endProgram();
    }
}

}  // namespace mezu
