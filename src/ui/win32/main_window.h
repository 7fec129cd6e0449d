// SPDX-License-Identifier: MIT
// The native Win32 main window: binds its controls to the window logic (`mezumain`) and
// forwards the user's actions to its handlers; it holds no report logic. The layout is the
// twips of ui/window_layout.h at the monitor's resolution (96 dpi gives the listed pixels) and
// follows the window from monitor to monitor. While a command runs, the commands and the
// selectors are disabled and the result list shows the lines as they arrive; closing the
// window during a run stops the run and ends the program when it has returned.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "ui/mezumain.h"
#include "ui/out_of_memory.h"
#include "ui/win32/directory_box.h"
#include "ui/win32/drive_box.h"
#include "ui/win32/line_list_box.h"
#include "ui/win32/path_label.h"
#include "ui/win32/win32_window_system.h"

namespace mezu::win32 {

class MainWindow final {
public:
    // Borrows the logic and the window system; both outlive the window.
    MainWindow(mezumain& model, Win32WindowSystem& windowSystem);
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;
    ~MainWindow();

    // Creates the window with its controls, not yet shown; false when the system refuses.
    bool create(HINSTANCE instance);
    // Shows the window as the program was asked to start, with the focus on Command1.
    void show(int showCommand);
    HWND handle() const { return window_; }
    // Runs the message loop until the window is closed; the program's exit status.
    int run();

    // Whether Dir1 reads its open directory again: always, or only when it has moved to
    // another directory (after a command, which leaves the directories as they were).
    enum class Dir1Listing { Always, IfMoved };
    // Shows the model's lists, label and selection as they stand.
    void refreshFromModel(Dir1Listing listing = Dir1Listing::Always);

private:
    static LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK list1Procedure(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                           DWORD_PTR self);
    LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam);

    void createControls();
    HWND createControl(const wchar_t* windowClass, const wchar_t* text, DWORD style, int id);
    HMENU createMenu() const;
    // Places the controls and picks the fonts for the resolution.
    void applyDpi(int dpi);
    void onCommand(int id, int notification);
    // Runs a command with the controls disabled, then shows its outcome and gives the focus
    // back to `focusAfter`. Out of memory, the command shows a box and the report before it
    // stays, with its title.
    void runCommand(HWND focusAfter, ReportEffect effect, const std::function<void()>& command);
    void setControlsEnabled(bool enabled);
    void showRunningState();
    void onDriveChosen();
    void openSelectedDirectory();
    void surveySelectedLine();
    void showList1Menu(LPARAM position);
    void onEnter();
    void refreshSelection(Dir1Listing listing);

    mezumain& model_;
    Win32WindowSystem& windowSystem_;
    HWND window_ = nullptr;
    int dpi_ = 0;
    HFONT windowFont_ = nullptr;
    HFONT reportFont_ = nullptr;
    HBRUSH dlistBrush_ = nullptr;
    HWND focusBeforeDeactivation_ = nullptr;
    bool closing_ = false;
    std::wstring shownTitle_;
    std::string shownDir1_;

    LineListBox dlist_;
    LineListBox list1_;
    PathLabel label1_;
    DriveBox drive1_;
    DirectoryBox dir1_;
};

}  // namespace mezu::win32
