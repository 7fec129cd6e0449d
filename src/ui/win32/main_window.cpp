// SPDX-License-Identifier: MIT
#include "ui/win32/main_window.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <initializer_list>

#include "model/path_text.h"
#include "platform/win32/wide_text.h"
#include "ui/window_layout.h"
#include "ui/win32/control_ids.h"
#include "ui/win32/window_fonts.h"

namespace mezu::win32 {
namespace {

constexpr wchar_t kTitle[] = L"ディレクトリ容量調査ツール";
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kWindowExStyle = WS_EX_CONTROLPARENT;
constexpr COLORREF kDriveListBackground = RGB(192, 192, 192);
constexpr UINT_PTR kList1SubclassId = 1;
constexpr int kDriveLines = 2;

struct CommandButton {
    int id;
    void (mezumain::*handler)();
    ReportEffect effect;
};
constexpr CommandButton kCommandButtons[] = {
    {MEZU_ID_COMMAND1, &mezumain::Command1_Click, ReportEffect::Replaces},
    {MEZU_ID_COMMAND2, &mezumain::Command2_Click, ReportEffect::Replaces},
    {MEZU_ID_COMMAND3, &mezumain::Command3_Click, ReportEffect::Replaces},
    {MEZU_ID_COMMAND4, &mezumain::Command4_Click, ReportEffect::Reads},
    {MEZU_ID_COMMAND5, &mezumain::Command5_Click, ReportEffect::Reads},
};

struct HelpItem {
    int id;
    const wchar_t* caption;
    void (mezumain::*handler)();
};
constexpr HelpItem kHelpItems[] = {
    {MEZU_ID_PGM, L"プログラムの説明", &mezumain::pgm_Click},
    {MEZU_ID_MAKER, L"作者紹介", &mezumain::maker_Click},
    {MEZU_ID_MAKEKIKI, L"開発環境", &mezumain::makekiki_Click},
    {MEZU_ID_ABOUT, L"プログラムのバージョン", &mezumain::about_Click},
};

struct Placement {
    int id;
    layout::TwipsRect twips;
};
constexpr Placement kPlacements[] = {
    {MEZU_ID_LABEL1, layout::kLabel1},     {MEZU_ID_DLIST, layout::kDlist},
    {MEZU_ID_DRIVE1, layout::kDrive1},     {MEZU_ID_DIR1, layout::kDir1},
    {MEZU_ID_COMMAND1, layout::kCommand1}, {MEZU_ID_COMMAND2, layout::kCommand2},
    {MEZU_ID_COMMAND3, layout::kCommand3}, {MEZU_ID_COMMAND4, layout::kCommand4},
    {MEZU_ID_COMMAND5, layout::kCommand5}, {MEZU_ID_LIST1, layout::kList1},
};

int pixels(int twips, int dpi)
{
    return ::MulDiv(twips, dpi, layout::kTwipsPerInch);
}

}  // namespace

MainWindow::MainWindow(mezumain& model, Win32WindowSystem& windowSystem)
    : model_(model), windowSystem_(windowSystem), dlist_(model.lists().dlist), list1_(model.lists().List1)
{
}

MainWindow::~MainWindow()
{
    if (window_ != nullptr) {
        ::DestroyWindow(window_);
    }
    for (HGDIOBJ object : std::initializer_list<HGDIOBJ>{windowFont_, reportFont_, dlistBrush_}) {
        if (object != nullptr) {
            ::DeleteObject(object);
        }
    }
}

bool MainWindow::create(HINSTANCE instance)
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = windowProcedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(MEZU_ICON));
    windowClass.hIconSm = static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(MEZU_ICON), IMAGE_ICON,
                                                          ::GetSystemMetrics(SM_CXSMICON),
                                                          ::GetSystemMetrics(SM_CYSMICON), 0));
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = ::GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = MEZU_MAIN_WINDOW_CLASS;
    if (::RegisterClassExW(&windowClass) == 0) {
        return false;
    }
    if (::CreateWindowExW(kWindowExStyle, MEZU_MAIN_WINDOW_CLASS, kTitle, kWindowStyle, CW_USEDEFAULT,
                          CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, createMenu(), instance,
                          this) == nullptr) {
        return false;
    }
    dlistBrush_ = ::CreateSolidBrush(kDriveListBackground);
    createControls();
    dlist_.bind(::GetDlgItem(window_, MEZU_ID_DLIST));
    list1_.bind(::GetDlgItem(window_, MEZU_ID_LIST1));
    label1_.bind(::GetDlgItem(window_, MEZU_ID_LABEL1), window_);
    drive1_.bind(::GetDlgItem(window_, MEZU_ID_DRIVE1));
    drive1_.setItems(model_.Drive1Items());
    dir1_.bind(::GetDlgItem(window_, MEZU_ID_DIR1));
    applyDpi(static_cast<int>(::GetDpiForWindow(window_)));
    ::SetWindowSubclass(::GetDlgItem(window_, MEZU_ID_LIST1), list1Procedure, kList1SubclassId,
                        reinterpret_cast<DWORD_PTR>(this));
    windowSystem_.attach(window_, [this] { showRunningState(); });
    return true;
}

HWND MainWindow::createControl(const wchar_t* windowClass, const wchar_t* text, DWORD style, int id)
{
    const bool framed = id == MEZU_ID_DLIST || id == MEZU_ID_DIR1 || id == MEZU_ID_LIST1;
    return ::CreateWindowExW(framed ? WS_EX_CLIENTEDGE : 0, windowClass, text, WS_CHILD | WS_VISIBLE | style, 0, 0,
                             0, 0, window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
}

void MainWindow::createControls()
{
    constexpr DWORD kButton = BS_PUSHBUTTON | WS_TABSTOP;
    constexpr DWORD kList = LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP;
    createControl(WC_STATICW, L"", SS_OWNERDRAW | SS_NOTIFY, MEZU_ID_LABEL1);
    // Created in the focus order: Tab goes from each to the next.
    createControl(WC_BUTTONW, L"ディレクトリ容量調査", kButton, MEZU_ID_COMMAND1);
    createControl(WC_LISTBOXW, L"", kList | WS_HSCROLL, MEZU_ID_LIST1);
    createControl(WC_COMBOBOXEXW, L"", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, MEZU_ID_DRIVE1);
    createControl(WC_LISTBOXW, L"", kList | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS, MEZU_ID_DIR1);
    createControl(WC_LISTBOXW, L"", LBS_NOSEL | LBS_NOINTEGRALHEIGHT | WS_TABSTOP, MEZU_ID_DLIST);
    createControl(WC_BUTTONW, L"印　刷", kButton, MEZU_ID_COMMAND4);
    createControl(WC_BUTTONW, L"File出力", kButton, MEZU_ID_COMMAND5);
    createControl(WC_BUTTONW, L"ドライブ情報", kButton, MEZU_ID_COMMAND3);
    createControl(WC_BUTTONW, L"Command2", kButton, MEZU_ID_COMMAND2);
}

HMENU MainWindow::createMenu() const
{
    const HMENU help = ::CreatePopupMenu();
    for (const HelpItem& item : kHelpItems) {
        ::AppendMenuW(help, MF_STRING, static_cast<UINT_PTR>(item.id), item.caption);
    }
    const HMENU bar = ::CreateMenu();
    ::AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(help), L"help");
    return bar;
}

void MainWindow::applyDpi(int dpi)
{
    dpi_ = dpi;
    const HFONT oldWindowFont = windowFont_;
    const HFONT oldReportFont = reportFont_;
    windowFont_ = createWindowFont(dpi);
    reportFont_ = createReportFont(dpi);
    for (const Placement& placement : kPlacements) {
        const HWND control = ::GetDlgItem(window_, placement.id);
        const layout::TwipsRect& at = placement.twips;
        const int height = pixels(at.height, dpi);
        ::MoveWindow(control, pixels(at.left, dpi), pixels(at.top, dpi), pixels(at.width, dpi), height, FALSE);
        const bool mincho = placement.id == MEZU_ID_LIST1 || placement.id == MEZU_ID_COMMAND5;
        ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(mincho ? reportFont_ : windowFont_), FALSE);
    }
    // Both drive lines must fit the list's height; the font's own line may be a pixel or two
    // taller than half of it.
    const HWND dlist = ::GetDlgItem(window_, MEZU_ID_DLIST);
    RECT inside{};
    ::GetClientRect(dlist, &inside);
    const int drivelineHeight =
        std::min<int>(fontHeight(dlist, windowFont_), (inside.bottom - inside.top) / kDriveLines);
    ::SendMessageW(dlist, LB_SETITEMHEIGHT, 0, drivelineHeight);
    dlist_.setFont(windowFont_);
    list1_.setFont(reportFont_);
    dir1_.setMetrics(windowFont_, dpi);
    drive1_.setFieldHeight(pixels(layout::kDrive1.height, dpi));

    RECT frame{0, 0, pixels(layout::kClientArea.width, dpi), pixels(layout::kClientArea.height, dpi)};
    ::AdjustWindowRectExForDpi(&frame, kWindowStyle, TRUE, kWindowExStyle, static_cast<UINT>(dpi));
    ::SetWindowPos(window_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ::InvalidateRect(window_, nullptr, TRUE);
    for (HFONT old : {oldWindowFont, oldReportFont}) {
        if (old != nullptr) {
            ::DeleteObject(old);
        }
    }
}

void MainWindow::show(int showCommand)
{
    ::ShowWindow(window_, showCommand);
    ::UpdateWindow(window_);
    ::SetFocus(::GetDlgItem(window_, MEZU_ID_COMMAND1));
}

int MainWindow::run()
{
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        dispatchMessage(window_, message);
    }
    return static_cast<int>(message.wParam);
}

LRESULT CALLBACK MainWindow::windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        auto* self = static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->window_ = window;
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<MainWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) {
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    if (message == WM_NCDESTROY) {
        self->window_ = nullptr;
        ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    return self->handleMessage(message, wParam, lParam);
}

LRESULT CALLBACK MainWindow::list1Procedure(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                            DWORD_PTR self)
{
    // Backspace in the result list goes back up to the parent directory's survey.
    if (message == WM_KEYDOWN && wParam == VK_BACK) {
        auto* window = reinterpret_cast<MainWindow*>(self);
        window->runCommand(list, ReportEffect::Replaces, [window] { window->model_.surveyParentDirectory(); });
        return 0;
    }
    return ::DefSubclassProc(list, message, wParam, lParam);
}

LRESULT MainWindow::handleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_COMMAND:
        onCommand(LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_DRAWITEM: {
        const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item.CtlID == MEZU_ID_LABEL1) {
            label1_.draw(item, windowFont_);
        } else if (item.CtlID == MEZU_ID_DIR1) {
            dir1_.draw(item);
        }
        return TRUE;
    }
    case WM_CTLCOLORLISTBOX:
        if (reinterpret_cast<HWND>(lParam) == ::GetDlgItem(window_, MEZU_ID_DLIST)) {
            ::SetBkColor(reinterpret_cast<HDC>(wParam), kDriveListBackground);
            return reinterpret_cast<LRESULT>(dlistBrush_);
        }
        break;
    case WM_CONTEXTMENU:
        if (reinterpret_cast<HWND>(wParam) == ::GetDlgItem(window_, MEZU_ID_LIST1)) {
            showList1Menu(lParam);
            return 0;
        }
        break;
    case WM_SETCURSOR:
        if (windowSystem_.showBusyPointer()) {
            return TRUE;
        }
        break;
    case WM_ACTIVATE:
        // A plain window does not keep its focus across a switch to another program, as a
        // dialog does: the control that had it gets it back.
        if (LOWORD(wParam) == WA_INACTIVE) {
            focusBeforeDeactivation_ = ::GetFocus();
        } else if (focusBeforeDeactivation_ != nullptr && ::IsWindow(focusBeforeDeactivation_)) {
            ::SetFocus(focusBeforeDeactivation_);
        }
        return 0;
    case WM_DPICHANGED: {
        const RECT& suggested = *reinterpret_cast<const RECT*>(lParam);
        ::SetWindowPos(window_, nullptr, suggested.left, suggested.top, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        applyDpi(HIWORD(wParam));
        return 0;
    }
    case WM_CLOSE:
        if (model_.commandRunning()) {
            closing_ = true;
            model_.requestStop();
            return 0;
        }
        ::DestroyWindow(window_);
        return 0;
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return ::DefWindowProcW(window_, message, wParam, lParam);
}

void MainWindow::onCommand(int id, int notification)
{
    for (const CommandButton& button : kCommandButtons) {
        if (id == button.id && notification == BN_CLICKED) {
            runCommand(::GetDlgItem(window_, id), button.effect,
                       [this, handler = button.handler] { (model_.*handler)(); });
            return;
        }
    }
    for (const HelpItem& item : kHelpItems) {
        if (id == item.id) {
            (model_.*item.handler)();
            return;
        }
    }
    switch (id) {
    case IDOK:
        onEnter();
        break;
    case IDCANCEL:
        // Esc: a running command stops.
        model_.stopCommand();
        break;
    case MEZU_ID_DRIVE1:
        // While the list is dropped, the selection follows the pointer; the choice counts
        // when the list closes.
        if ((notification == CBN_SELCHANGE && !drive1_.droppedDown()) || notification == CBN_CLOSEUP) {
            onDriveChosen();
        } else if (notification == CBN_DROPDOWN) {
            drive1_.setItems(model_.Drive1_DropDown());
            drive1_.select(model_.selection().Drive1);
        }
        break;
    case MEZU_ID_DIR1:
        if (notification == LBN_DBLCLK) {
            openSelectedDirectory();
        }
        break;
    case MEZU_ID_LIST1:
        if (notification == LBN_DBLCLK) {
            surveySelectedLine();
        }
        break;
    default:
        break;
    }
}

void MainWindow::onEnter()
{
    const HWND focus = ::GetFocus();
    const int id = focus != nullptr && ::GetParent(focus) == window_ ? ::GetDlgCtrlID(focus) : 0;
    if (id == MEZU_ID_DIR1) {
        openSelectedDirectory();
    } else if (id == MEZU_ID_LIST1) {
        surveySelectedLine();
    } else {
        onCommand(id, BN_CLICKED);
    }
}

void MainWindow::runCommand(HWND focusAfter, ReportEffect effect, const std::function<void()>& command)
{
    if (model_.commandRunning() || closing_) {
        return;
    }
    setControlsEnabled(false);
    runWithinMemory(model_, windowSystem_, effect, command);
    windowSystem_.showRequestedPointer();
    refreshFromModel(Dir1Listing::IfMoved);
    setControlsEnabled(true);
    // Disabling the control moved the focus away; it comes back so that Space repeats the
    // command and Tab goes on from it.
    ::SetFocus(focusAfter);
    if (closing_) {
        ::DestroyWindow(window_);
    }
}

void MainWindow::setControlsEnabled(bool enabled)
{
    for (int id : {MEZU_ID_COMMAND1, MEZU_ID_COMMAND2, MEZU_ID_COMMAND3, MEZU_ID_COMMAND4, MEZU_ID_COMMAND5,
                   MEZU_ID_DRIVE1, MEZU_ID_DIR1}) {
        ::EnableWindow(::GetDlgItem(window_, id), enabled ? TRUE : FALSE);
    }
}

void MainWindow::showRunningState()
{
    list1_.refresh();
    dlist_.refresh();
    const std::wstring title = toWide(model_.windowTitle());
    if (title != shownTitle_) {
        shownTitle_ = title;
        ::SetWindowTextW(window_, title.c_str());
    }
}

void MainWindow::refreshFromModel(Dir1Listing listing)
{
    showRunningState();
    refreshSelection(listing);
}

void MainWindow::refreshSelection(Dir1Listing listing)
{
    const Selection& selection = model_.selection();
    label1_.setPath(toWide(displayPath(selection.Label1)));
    drive1_.select(selection.Drive1);
    if (listing == Dir1Listing::IfMoved && !dir1_.entries().empty() && shownDir1_ == selection.Dir1) {
        return;
    }
    shownDir1_ = selection.Dir1;
    dir1_.setEntries(model_.Dir1Entries());
}

void MainWindow::onDriveChosen()
{
    const char letter = drive1_.selected();
    // The selector reports a choice even of the drive already selected; only another drive
    // changes anything.
    if (letter == '\0' || letter == model_.selection().Drive1) {
        return;
    }
    model_.selectDrive(letter);
    refreshFromModel();
}

void MainWindow::openSelectedDirectory()
{
    const DirectoryViewEntry* entry = dir1_.selected();
    if (entry != nullptr) {
        // A copy: refreshing replaces the entries.
        const std::string path = entry->path;
        model_.openDirectory(path);
    }
    refreshFromModel();
}

void MainWindow::surveySelectedLine()
{
    const HWND list = ::GetDlgItem(window_, MEZU_ID_LIST1);
    const LRESULT row = ::SendMessageW(list, LB_GETCURSEL, 0, 0);
    if (row < 0 || !model_.listedDirectory(static_cast<std::size_t>(row))) {
        return;
    }
    runCommand(list, ReportEffect::Replaces,
               [this, row] { model_.surveyListedDirectory(static_cast<std::size_t>(row)); });
}

void MainWindow::showList1Menu(LPARAM position)
{
    const HWND list = ::GetDlgItem(window_, MEZU_ID_LIST1);
    POINT at{GET_X_LPARAM(position), GET_Y_LPARAM(position)};
    if (position == -1) {
        // From the keyboard's menu key: the current line, or the list's corner.
        RECT line{};
        const LRESULT current = ::SendMessageW(list, LB_GETCURSEL, 0, 0);
        if (current < 0 || ::SendMessageW(list, LB_GETITEMRECT, current, reinterpret_cast<LPARAM>(&line)) == LB_ERR) {
            line = RECT{};
        }
        at = POINT{line.left, line.bottom};
        ::ClientToScreen(list, &at);
    } else {
        POINT inside = at;
        ::ScreenToClient(list, &inside);
        const LRESULT hit = ::SendMessageW(list, LB_ITEMFROMPOINT, 0, MAKELPARAM(inside.x, inside.y));
        if (HIWORD(hit) == 0) {
            ::SendMessageW(list, LB_SETCURSEL, LOWORD(hit), 0);
        }
    }
    const LRESULT row = ::SendMessageW(list, LB_GETCURSEL, 0, 0);
    const std::optional<std::size_t> line = row >= 0 ? std::optional{static_cast<std::size_t>(row)} : std::nullopt;
    const std::vector<mezumain::List1MenuItem> items = model_.List1Menu(line);
    const HMENU menu = ::CreatePopupMenu();
    for (std::size_t i = 0; i < items.size(); ++i) {
        const mezumain::List1MenuItem& item = items[i];
        if (item.separatorBefore) {
            ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        }
        ::AppendMenuW(menu, MF_STRING | (item.enabled ? 0 : MF_GRAYED) | (item.checked ? MF_CHECKED : 0),
                      MEZU_ID_LIST1_MENU + i, toWide(item.caption).c_str());
    }
    const int chosen = static_cast<int>(
        ::TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, at.x, at.y, 0, window_, nullptr));
    ::DestroyMenu(menu);
    if (chosen >= MEZU_ID_LIST1_MENU && static_cast<std::size_t>(chosen - MEZU_ID_LIST1_MENU) < items.size()) {
        const mezumain::List1Action action = items[static_cast<std::size_t>(chosen - MEZU_ID_LIST1_MENU)].action;
        runCommand(list, mezumain::replacesReport(action) ? ReportEffect::Replaces : ReportEffect::Reads,
                   [this, action, line] { model_.List1Chosen(action, line); });
    }
}

}  // namespace mezu::win32
