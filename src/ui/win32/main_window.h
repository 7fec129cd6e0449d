// SPDX-License-Identifier: MIT
// The native Win32 main window: binds its controls to the window presenter, which runs the
// user's actions on the window logic (`mezumain`) and says what to show; it holds no logic of
// its own. The layout is the
// twips of ui/window_layout.h at the monitor's resolution (96 dpi gives the listed pixels) and
// follows the window from monitor to monitor. While a command runs, the commands and the
// selectors are disabled and the result list shows the lines as they arrive; closing the
// window during a run stops the run and ends the program when it has returned.
#pragma once

#include <windows.h>

#include <string>

#include "ui/mezumain.h"
#include "ui/win32/directory_box.h"
#include "ui/win32/drive_box.h"
#include "ui/win32/line_list_box.h"
#include "ui/win32/path_label.h"
#include "ui/win32/win32_window_system.h"
#include "ui/window_presenter.h"

namespace mezu::win32 {

class MainWindow final : private WindowView {
public:
    // Borrows the logic and the window system; both outlive the window.
    MainWindow(mezumain& model, Win32WindowSystem& windowSystem);
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;
    ~MainWindow() override;

    // Creates the window with its controls, not yet shown; false when the system refuses.
    bool create(HINSTANCE instance);
    // Shows the window as the program was asked to start, with the focus on Command1.
    void show(int showCommand);
    HWND handle() const { return window_; }
    // Runs the message loop until the window is closed; the program's exit status.
    int run();

    // Shows the model's lists, label and selection as they stand.
    void refreshFromModel() { presenter_.refresh(); }

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
    void onEnter();
    std::optional<std::size_t> list1Selection() const;
    void showList1Menu(LPARAM position);

    void showLists() override;
    void showTitle(const std::string& title) override;
    void showLabel1(const std::string& path) override;
    void showDrive1(const std::vector<mezumain::Drive1Item>& drives) override;
    void selectDrive1(char letter) override;
    void showDir1(const std::vector<DirectoryViewEntry>& lines) override;
    void showShares(const std::vector<double>& shares) override;
    void enableControls(bool enabled) override;
    void showRequestedPointer() override;
    void focus(WindowControl control) override;
    void endProgram() override;

    Win32WindowSystem& windowSystem_;
    WindowPresenter presenter_;
    HWND window_ = nullptr;
    int dpi_ = 0;
    HFONT windowFont_ = nullptr;
    HFONT reportFont_ = nullptr;
    HBRUSH dlistBrush_ = nullptr;
    HWND focusBeforeDeactivation_ = nullptr;

    LineListBox dlist_;
    LineListBox list1_;
    PathLabel label1_;
    DriveBox drive1_;
    DirectoryBox dir1_;
};

}  // namespace mezu::win32
