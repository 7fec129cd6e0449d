// Drives mezu.exe from outside, as a user or an accessibility tool would: starts it in a
// directory, checks the window it shows (title, client size and control places at 96 dpi, the
// focus order, the focus at start, Label1), presses ディレクトリ容量調査 and prints the lines the
// real List1 control then holds, read with LB_GETTEXT, one per line as "List1: TEXT" (UTF-8).
// Ends the program by closing its window. Exit status 0 when every check passed.
// Usage: mezu_window_probe MEZU.EXE DIRECTORY
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/win32/wide_text.h"
#include "ui/win32/control_ids.h"
#include "ui/window_layout.h"

namespace {

constexpr DWORD kStartTimeoutMs = 60000;
constexpr DWORD kSurveyTimeoutMs = 120000;
constexpr DWORD kPollMs = 100;
constexpr UINT kReplyTimeoutMs = 10000;

int failures = 0;

void check(bool passed, const std::string& what)
{
    std::printf("%s - %s\n", passed ? "ok" : "FAIL", what.c_str());
    failures += passed ? 0 : 1;
}

struct Search {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK matchWindow(HWND window, LPARAM search)
{
    auto* wanted = reinterpret_cast<Search*>(search);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    wchar_t className[64] = {};
    ::GetClassNameW(window, className, 64);
    if (owner == wanted->processId && std::wstring{className} == MEZU_MAIN_WINDOW_CLASS && ::IsWindowVisible(window)) {
        wanted->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND waitForWindow(DWORD processId)
{
    for (DWORD waited = 0; waited < kStartTimeoutMs; waited += kPollMs) {
        Search search{processId, nullptr};
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
    const int expected[] = {MEZU_ID_COMMAND1, MEZU_ID_LIST1, MEZU_ID_DRIVE1, MEZU_ID_DIR1, MEZU_ID_DLIST,
                            MEZU_ID_COMMAND4, MEZU_ID_COMMAND5, MEZU_ID_COMMAND3, MEZU_ID_COMMAND2};
    bool inOrder = true;
    HWND control = ::GetDlgItem(window, MEZU_ID_COMMAND1);
    for (std::size_t i = 1; i <= std::size(expected); ++i) {
        control = ::GetNextDlgTabItem(window, control, FALSE);
        inOrder = inOrder && ::GetDlgCtrlID(control) == expected[i % std::size(expected)];
    }
    check(inOrder, "Tab goes through the controls in the focus order, Command2 last");
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: mezu_window_probe MEZU.EXE DIRECTORY\n");
        return 2;
    }
    std::wstring commandLine = L"\"" + std::wstring{argv[1]} + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(argv[1], commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, argv[2], &startup,
                          &process)) {
        std::fprintf(stderr, "mezu_window_probe: cannot start %s\n", mezu::win32::toUtf8(argv[1]).c_str());
        return 1;
    }
    const HWND window = waitForWindow(process.dwProcessId);
    check(window != nullptr, "the window appears");
    if (window == nullptr) {
        ::TerminateProcess(process.hProcess, 1);
        return 1;
    }
    ::WaitForInputIdle(process.hProcess, kStartTimeoutMs);
    check(windowText(window) == L"ディレクトリ容量調査ツール", "title ディレクトリ容量調査ツール");
    check(windowText(::GetDlgItem(window, MEZU_ID_LABEL1)) == argv[2], "Label1 shows the starting directory");
    check(ask(::GetDlgItem(window, MEZU_ID_DLIST), LB_GETCOUNT) == 2, "dlist holds the drive's two lines");
    checkLayout(window);
    checkFocusOrder(window, process.dwThreadId);

    const HWND command1 = ::GetDlgItem(window, MEZU_ID_COMMAND1);
    const HWND list1 = ::GetDlgItem(window, MEZU_ID_LIST1);
    ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(MEZU_ID_COMMAND1, BN_CLICKED), reinterpret_cast<LPARAM>(command1));
    bool finished = false;
    for (DWORD waited = 0; waited < kSurveyTimeoutMs && !finished; waited += kPollMs) {
        ::Sleep(kPollMs);
        finished = ask(list1, LB_GETCOUNT) > 0 && ::IsWindowEnabled(command1);
    }
    check(finished, "the survey ends with the buttons enabled again");
    for (const std::wstring& line : listLines(list1)) {
        std::printf("List1: %s\n", mezu::win32::toUtf8(line).c_str());
    }

    ::PostMessageW(window, WM_CLOSE, 0, 0);
    DWORD status = 1;
    const bool ended = ::WaitForSingleObject(process.hProcess, kStartTimeoutMs) == WAIT_OBJECT_0 &&
                       ::GetExitCodeProcess(process.hProcess, &status) && status == 0;
    check(ended, "closing the window ends the program with status 0");
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    return failures == 0 ? 0 : 1;
}
