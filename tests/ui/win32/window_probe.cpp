// SPDX-License-Identifier: MIT
// Drives mezu.exe from outside, as a user or an accessibility tool would: starts it in a
// directory, checks the window it shows (title, client size and control places at 96 dpi, the
// focus order, the focus at start, Label1), presses ディレクトリ容量調査 and prints the lines the
// real List1 control then holds, read with LB_GETTEXT, one per line as "List1: TEXT" (UTF-8);
// saves the report through File出力's dialog as SAVE-AS; prints without a printer, which must
// say so (when the system has none); opens a help box and reads it; ends the program by
// closing its window. Then starts it again and closes it in the middle of the all-drives
// survey. With --layout, it checks the window as it opens, opens DIRECTORY's first subdirectory
// in Dir1 with the keyboard alone, and closes it. Exit status 0 when every check passed.
// Usage: mezu_window_probe MEZU.EXE DIRECTORY SAVE-AS
//        mezu_window_probe --layout MEZU.EXE DIRECTORY FIRST-SUBDIRECTORY
#include <windows.h>
#include <winspool.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/win32/wide_text.h"
#include "ui/help_texts.h"
#include "ui/win32/control_ids.h"
#include "ui/window_layout.h"

namespace {

constexpr DWORD kStartTimeoutMs = 60000;
constexpr DWORD kSurveyTimeoutMs = 120000;
constexpr DWORD kPollMs = 100;
constexpr UINT kReplyTimeoutMs = 10000;
constexpr DWORD kStopTimeoutMs = 15000;
constexpr wchar_t kDialogClass[] = L"#32770";
// The file name field of the system's Save dialog: a combo box in the Explorer style (cmb13),
// an edit field in the older one (edt1).
constexpr int kFileNameCombo = 0x47c;
constexpr int kFileNameEdit = 0x480;

int failures = 0;

void check(bool passed, const std::string& what)
{
    std::printf("%s - %s\n", passed ? "ok" : "FAIL", what.c_str());
    failures += passed ? 0 : 1;
}

struct Search {
    DWORD processId;
    const wchar_t* windowClass;
    HWND found;
};

BOOL CALLBACK matchWindow(HWND window, LPARAM search)
{
    auto* wanted = reinterpret_cast<Search*>(search);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    wchar_t className[64] = {};
    ::GetClassNameW(window, className, 64);
    if (owner == wanted->processId && std::wstring{className} == wanted->windowClass && ::IsWindowVisible(window)) {
        wanted->found = window;
        return FALSE;
    }
    return TRUE;
}

// The process's visible top-level window of the class, once it is there.
HWND waitForWindow(DWORD processId, const wchar_t* windowClass = MEZU_MAIN_WINDOW_CLASS)
{
    for (DWORD waited = 0; waited < kStartTimeoutMs; waited += kPollMs) {
        Search search{processId, windowClass, nullptr};
        ::EnumWindows(matchWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr) {
            return search.found;
        }
        ::Sleep(kPollMs);
    }
    return nullptr;
}

LRESULT ask(HWND control, UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
{
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutW(control, message, wParam, lParam, SMTO_NORMAL, kReplyTimeoutMs, &result)) {
        return -1;
    }
    return static_cast<LRESULT>(result);
}

std::wstring windowText(HWND window)
{
    const LRESULT length = ask(window, WM_GETTEXTLENGTH);
    std::wstring text(length > 0 ? static_cast<std::size_t>(length) + 1 : 1, L'\0');
    ask(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(std::wcslen(text.c_str()));
    return text;
}

std::vector<std::wstring> listLines(HWND list)
{
    std::vector<std::wstring> lines;
    const LRESULT count = ask(list, LB_GETCOUNT);
    for (LRESULT i = 0; i < count; ++i) {
        const LRESULT length = ask(list, LB_GETTEXTLEN, static_cast<WPARAM>(i));
        std::wstring line(length > 0 ? static_cast<std::size_t>(length) + 1 : 1, L'\0');
        ask(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(line.data()));
        line.resize(std::wcslen(line.c_str()));
        lines.push_back(line);
    }
    return lines;
}

void checkLayout(HWND window)
{
    RECT client{};
    ::GetClientRect(window, &client);
    const int dpi = static_cast<int>(::GetDpiForWindow(window));
    const auto pixels = [dpi](int twips) { return ::MulDiv(twips, dpi, mezu::layout::kTwipsPerInch); };
    check(client.right == pixels(mezu::layout::kClientArea.width) &&
              client.bottom == pixels(mezu::layout::kClientArea.height),
          "client area " + std::to_string(client.right) + " x " + std::to_string(client.bottom) + " at " +
              std::to_string(dpi) + " dpi");
    const std::pair<int, mezu::layout::TwipsRect> placed[] = {
        {MEZU_ID_LABEL1, mezu::layout::kLabel1},     {MEZU_ID_DLIST, mezu::layout::kDlist},
        {MEZU_ID_DIR1, mezu::layout::kDir1},         {MEZU_ID_COMMAND1, mezu::layout::kCommand1},
        {MEZU_ID_COMMAND3, mezu::layout::kCommand3}, {MEZU_ID_COMMAND5, mezu::layout::kCommand5},
        {MEZU_ID_COMMAND4, mezu::layout::kCommand4}, {MEZU_ID_LIST1, mezu::layout::kList1},
        {MEZU_ID_COMMAND2, mezu::layout::kCommand2},
    };
    bool allPlaced = true;
    for (const auto& [id, twips] : placed) {
        RECT at{};
        ::GetWindowRect(::GetDlgItem(window, id), &at);
        ::MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&at), 2);
        const bool right = at.left == pixels(twips.left) && at.top == pixels(twips.top) &&
                           at.right - at.left == pixels(twips.width) && at.bottom - at.top == pixels(twips.height);
        if (!right) {
            std::printf("# control %d at %ld,%ld size %ld x %ld\n", id, at.left, at.top, at.right - at.left,
                        at.bottom - at.top);
        }
        allPlaced = allPlaced && right;
    }
    check(allPlaced, "every control where its twips put it at " + std::to_string(dpi) + " dpi");
}

void checkFocusOrder(HWND window, DWORD threadId)
{
    GUITHREADINFO gui{};
    gui.cbSize = sizeof gui;
    ::GetGUIThreadInfo(threadId, &gui);
    check(gui.hwndFocus == ::GetDlgItem(window, MEZU_ID_COMMAND1), "ディレクトリ容量調査 has the focus at start");
    const int expected[] = {MEZU_ID_COMMAND1, MEZU_ID_LIST1,    MEZU_ID_DRIVE1,   MEZU_ID_DIR1,    MEZU_ID_DLIST,
                            MEZU_ID_COMMAND4, MEZU_ID_COMMAND5, MEZU_ID_COMMAND3, MEZU_ID_COMMAND2};
    bool inOrder = true;
    HWND control = ::GetDlgItem(window, MEZU_ID_COMMAND1);
    for (std::size_t i = 1; i <= std::size(expected); ++i) {
        control = ::GetNextDlgTabItem(window, control, FALSE);
        inOrder = inOrder && ::GetDlgCtrlID(control) == expected[i % std::size(expected)];
    }
    check(inOrder, "Tab goes through the controls in the focus order, Command2 last");
}

struct Running {
    PROCESS_INFORMATION process{};
    HWND window = nullptr;
};

Running start(const wchar_t* exe, const wchar_t* directory)
{
    Running running;
    std::wstring commandLine = L"\"" + std::wstring{exe} + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (!::CreateProcessW(exe, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, directory, &startup,
                          &running.process)) {
        return running;
    }
    running.window = waitForWindow(running.process.dwProcessId);
    ::WaitForInputIdle(running.process.hProcess, kStartTimeoutMs);
    return running;
}

// Closes the window and waits for the program to end; true when it ended with status 0.
bool close(Running& running, DWORD timeoutMs)
{
    ::PostMessageW(running.window, WM_CLOSE, 0, 0);
    DWORD status = 1;
    const bool ended = ::WaitForSingleObject(running.process.hProcess, timeoutMs) == WAIT_OBJECT_0 &&
                       ::GetExitCodeProcess(running.process.hProcess, &status) && status == 0;
    if (!ended) {
        ::TerminateProcess(running.process.hProcess, 1);
    }
    ::CloseHandle(running.process.hThread);
    ::CloseHandle(running.process.hProcess);
    return ended;
}

void click(HWND window, int button)
{
    ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(window, button)));
}

// Waits until `done` holds; false when it did not within the time.
template <typename Condition>
bool waitUntil(DWORD timeoutMs, Condition done)
{
    for (DWORD waited = 0; waited < timeoutMs; waited += kPollMs) {
        if (done()) {
            return true;
        }
        ::Sleep(kPollMs);
    }
    return done();
}

void surveyAndReadList1(HWND window)
{
    const HWND command1 = ::GetDlgItem(window, MEZU_ID_COMMAND1);
    const HWND list1 = ::GetDlgItem(window, MEZU_ID_LIST1);
    click(window, MEZU_ID_COMMAND1);
    check(waitUntil(kSurveyTimeoutMs, [&] { return ask(list1, LB_GETCOUNT) > 0 && ::IsWindowEnabled(command1); }),
          "the survey ends with the buttons enabled again");
    for (const std::wstring& line : listLines(list1)) {
        std::printf("List1: %s\n", mezu::win32::toUtf8(line).c_str());
    }
}

void saveThroughDialog(const Running& running, const wchar_t* saveAs)
{
    click(running.window, MEZU_ID_COMMAND5);
    const HWND dialog = waitForWindow(running.process.dwProcessId, kDialogClass);
    check(dialog != nullptr, "File出力 opens the Save dialog");
    if (dialog == nullptr) {
        return;
    }
    HWND name = ::GetDlgItem(dialog, kFileNameCombo);
    if (name == nullptr) {
        name = ::GetDlgItem(dialog, kFileNameEdit);
    }
    check(windowText(name) == L"MEZU.TXT", "the dialog offers MEZU.TXT");
    ask(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(saveAs));
    click(dialog, IDOK);
    const HWND command5 = ::GetDlgItem(running.window, MEZU_ID_COMMAND5);
    check(waitUntil(kSurveyTimeoutMs, [&] { return !::IsWindow(dialog) && ::IsWindowEnabled(command5); }),
          "the dialog closes and the save ends");
}

// The box the window shows next, checked for its caption and text, then closed with OK.
void expectBox(const Running& running, const std::wstring& text, const std::string& what)
{
    const HWND box = waitForWindow(running.process.dwProcessId, kDialogClass);
    check(box != nullptr && windowText(box) == L"mezu" && ::FindWindowExW(box, nullptr, L"Static", text.c_str()) &&
              ::GetDlgItem(box, IDOK) != nullptr && ::GetDlgItem(box, IDCANCEL) == nullptr,
          what + ": a box with caption mezu, the text and OK only");
    if (box != nullptr) {
        click(box, IDOK);
        check(waitUntil(kStartTimeoutMs, [&] { return !::IsWindow(box); }), what + ": OK closes the box");
    }
}

void printWithoutPrinter(const Running& running)
{
    DWORD length = 0;
    if (::GetDefaultPrinterW(nullptr, &length) || ::GetLastError() != ERROR_FILE_NOT_FOUND) {
        std::printf("skip - printing: this system has a default printer, and nothing may be printed on it\n");
        return;
    }
    click(running.window, MEZU_ID_COMMAND4);
    expectBox(running, L"プリンターエラーです", "印　刷 without a printer");
}

void readVersionBox(const Running& running)
{
    ::PostMessageW(running.window, WM_COMMAND, MAKEWPARAM(MEZU_ID_ABOUT, 0), 0);
    // A carriage return in the text breaks the box's line.
    std::wstring expected;
    for (wchar_t c : mezu::win32::toWide(mezu::versionText())) {
        expected += c == L'\r' ? std::wstring{L"\r\n"} : std::wstring(1, c);
    }
    expectBox(running, expected, "プログラムのバージョン");
}

void pressKey(HWND window, WPARAM key)
{
    ::PostMessageW(window, WM_KEYDOWN, key, 0);
    ::PostMessageW(window, WM_KEYUP, key, 0);
}

// From the keyboard alone: Tab from ディレクトリ容量調査 to Dir1, Down to the first subdirectory
// below the open one, Enter to open it.
void openFirstSubdirectoryByKeyboard(const Running& running, const std::wstring& directory,
                                     const std::wstring& firstSubdirectory)
{
    const HWND dir1 = ::GetDlgItem(running.window, MEZU_ID_DIR1);
    const HWND label1 = ::GetDlgItem(running.window, MEZU_ID_LABEL1);
    for (int tab = 0; tab < 3; ++tab) {
        pressKey(::GetDlgItem(running.window, MEZU_ID_COMMAND1), VK_TAB);
    }
    pressKey(dir1, VK_DOWN);
    pressKey(dir1, VK_RETURN);
    const std::wstring expected = directory + L"\\" + firstSubdirectory;
    check(waitUntil(kStartTimeoutMs, [&] { return windowText(label1) == expected; }),
          "Tab to Dir1, Down and Enter open the first subdirectory");
}

void closeDuringAllDrivesSurvey(const wchar_t* exe, const wchar_t* directory)
{
    Running running = start(exe, directory);
    if (running.window == nullptr) {
        check(false, "the window appears again");
        return;
    }
    // Every drive's every directory: far longer than the test waits.
    click(running.window, MEZU_ID_COMMAND2);
    const HWND command1 = ::GetDlgItem(running.window, MEZU_ID_COMMAND1);
    check(waitUntil(kStartTimeoutMs, [&] { return !::IsWindowEnabled(command1); }), "Command2's survey starts");
    check(close(running, kStopTimeoutMs), "closing the window during the survey ends the program promptly");
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    const bool layoutOnly = argc == 5 && std::wstring{argv[1]} == L"--layout";
    if (argc != (layoutOnly ? 5 : 4)) {
        std::fprintf(stderr,
                     "usage: mezu_window_probe MEZU.EXE DIRECTORY SAVE-AS\n"
                     "       mezu_window_probe --layout MEZU.EXE DIRECTORY FIRST-SUBDIRECTORY\n");
        return 2;
    }
    const wchar_t* exe = argv[layoutOnly ? 2 : 1];
    const wchar_t* directory = argv[layoutOnly ? 3 : 2];
    Running running = start(exe, directory);
    check(running.window != nullptr, "the window appears");
    if (running.window == nullptr) {
        return 1;
    }
    const HWND window = running.window;
    check(windowText(window) == L"ディレクトリ容量調査ツール", "title ディレクトリ容量調査ツール");
    check(windowText(::GetDlgItem(window, MEZU_ID_LABEL1)) == directory, "Label1 shows the starting directory");
    check(ask(::GetDlgItem(window, MEZU_ID_DLIST), LB_GETCOUNT) == 2, "dlist holds the drive's two lines");
    checkLayout(window);
    checkFocusOrder(window, running.process.dwThreadId);
    if (!layoutOnly) {
        surveyAndReadList1(window);
        saveThroughDialog(running, argv[3]);
        printWithoutPrinter(running);
        readVersionBox(running);
    } else {
        openFirstSubdirectoryByKeyboard(running, directory, argv[4]);
    }
    check(close(running, kStartTimeoutMs), "closing the window ends the program with status 0");
    if (!layoutOnly) {
        closeDuringAllDrivesSurvey(exe, directory);
    }
    return failures == 0 ? 0 : 1;
}
