// SPDX-License-Identifier: MIT
#include "ui/win32/main_window.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <initializer_list>

#include "platform/win32/wide_text.h"
#include "ui/win32/control_ids.h"
#include "ui/win32/window_fonts.h"
#include "ui/window_layout.h"
#include "ui/window_style.h"

namespace mezu::win32 {
namespace {

constexpr wchar_t kTitle[] = L"ディレクトリ容量調査ツール";
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kWindowExStyle = WS_EX_CONTROLPARENT;
constexpr COLORREF kDriveListBackground =
    RGB(style::kDriveListBackground.red, style::kDriveListBackground.green, style::kDriveListBackground.blue);
constexpr UINT_PTR kList1SubclassId = 1;
constexpr int kDriveLines = 2;

// The control of each command, in the order of WindowControl.
constexpr int kControlIds[] = {MEZU_ID_COMMAND1, MEZU_ID_COMMAND2, MEZU_ID_COMMAND3,
                               MEZU_ID_COMMAND4, MEZU_ID_COMMAND5, MEZU_ID_LIST1};
// The help menu's items, in its order.
constexpr int kHelpItemIds[] = {MEZU_ID_PGM, MEZU_ID_MAKER, MEZU_ID_MAKEKIKI, MEZU_ID_ABOUT};
static_assert(std::size(kHelpItemIds) == kHelpMenu.size());

int controlId(WindowControl control)
{
    return kControlIds[static_cast<std::size_t>(control)];
}

std::wstring captionOf(WindowControl control)
{
    for (const CommandButton& button : kCommandButtons) {
        if (button.control == control) {
            return toWide(button.caption);
        }
    }
    return {};
}

struct Placement {
    int id;
    layout::TwipsRect twips;
};
constexpr Placement kPlacements[] = {
    {MEZU_ID_LABEL1, layout::kLabel1},     {MEZU_ID_DLIST, layout::kDlist},       {MEZU_ID_DRIVE1, layout::kDrive1},
    {MEZU_ID_DIR1, layout::kDir1},         {MEZU_ID_COMMAND1, layout::kCommand1}, {MEZU_ID_COMMAND2, layout::kCommand2},
    {MEZU_ID_COMMAND3, layout::kCommand3}, {MEZU_ID_COMMAND4, layout::kCommand4}, {MEZU_ID_COMMAND5, layout::kCommand5},
    {MEZU_ID_LIST1, layout::kList1},
};

int pixels(int twips, int dpi)
{
    return ::MulDiv(twips, dpi, layout::kTwipsPerInch);
}

}  // namespace

MainWindow::MainWindow(mezumain& model, Win32WindowSystem& windowSystem)
    : windowSystem_(windowSystem),
      presenter_(model, *this, windowSystem),
      dlist_(model.lists().dlist),
      list1_(model.lists().List1)
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
    windowClass.hIconSm =
        static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(MEZU_ICON), IMAGE_ICON,
                                        ::GetSystemMetrics(SM_CXSMICON), ::GetSystemMetrics(SM_CYSMICON), 0));
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = ::GetSysColorBrush(COLOR_BTNFACE);
    windowClass.lpszClassName = MEZU_MAIN_WINDOW_CLASS;
    if (::RegisterClassExW(&windowClass) == 0) {
        return false;
    }
    if (::CreateWindowExW(kWindowExStyle, MEZU_MAIN_WINDOW_CLASS, kTitle, kWindowStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                          CW_USEDEFAULT, CW_USEDEFAULT, nullptr, createMenu(), instance, this) == nullptr) {
        return false;
    }
    dlistBrush_ = ::CreateSolidBrush(kDriveListBackground);
    createControls();
    dlist_.bind(::GetDlgItem(window_, MEZU_ID_DLIST));
    list1_.bind(::GetDlgItem(window_, MEZU_ID_LIST1));
    label1_.bind(::GetDlgItem(window_, MEZU_ID_LABEL1), window_);
    drive1_.bind(::GetDlgItem(window_, MEZU_ID_DRIVE1));
    presenter_.showDrives();
    dir1_.bind(::GetDlgItem(window_, MEZU_ID_DIR1));
    applyDpi(static_cast<int>(::GetDpiForWindow(window_)));
    ::SetWindowSubclass(::GetDlgItem(window_, MEZU_ID_LIST1), list1Procedure, kList1SubclassId,
                        reinterpret_cast<DWORD_PTR>(this));
    windowSystem_.attach(window_, [this] { presenter_.showProgress(); });
    return true;
}

HWND MainWindow::createControl(const wchar_t* windowClass, const wchar_t* text, DWORD style, int id)
{
    const bool framed = id == MEZU_ID_DLIST || id == MEZU_ID_DIR1 || id == MEZU_ID_LIST1;
    return ::CreateWindowExW(framed ? WS_EX_CLIENTEDGE : 0, windowClass, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0,
                             0, window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
}

void MainWindow::createControls()
{
    constexpr DWORD kButton = BS_PUSHBUTTON | WS_TABSTOP;
    constexpr DWORD kList = LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP;
    createControl(WC_STATICW, L"", SS_OWNERDRAW | SS_NOTIFY, MEZU_ID_LABEL1);
    // Created in the focus order: Tab goes from each to the next.
    createControl(WC_BUTTONW, captionOf(WindowControl::Command1).c_str(), kButton, MEZU_ID_COMMAND1);
    createControl(WC_LISTBOXW, L"", kList | WS_HSCROLL | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS, MEZU_ID_LIST1);
    createControl(WC_COMBOBOXEXW, L"", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, MEZU_ID_DRIVE1);
    createControl(WC_LISTBOXW, L"", kList | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS, MEZU_ID_DIR1);
    createControl(WC_LISTBOXW, L"", LBS_NOSEL | LBS_NOINTEGRALHEIGHT | WS_TABSTOP, MEZU_ID_DLIST);
    createControl(WC_BUTTONW, captionOf(WindowControl::Command4).c_str(), kButton, MEZU_ID_COMMAND4);
    createControl(WC_BUTTONW, captionOf(WindowControl::Command5).c_str(), kButton, MEZU_ID_COMMAND5);
    createControl(WC_BUTTONW, captionOf(WindowControl::Command3).c_str(), kButton, MEZU_ID_COMMAND3);
    createControl(WC_BUTTONW, captionOf(WindowControl::Command2).c_str(), kButton, MEZU_ID_COMMAND2);
}

HMENU MainWindow::createMenu() const
{
    const HMENU help = ::CreatePopupMenu();
    for (std::size_t i = 0; i < kHelpMenu.size(); ++i) {
        ::AppendMenuW(help, MF_STRING, static_cast<UINT_PTR>(kHelpItemIds[i]), toWide(kHelpMenu[i].caption).c_str());
    }
    const HMENU bar = ::CreateMenu();
    ::AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(help), toWide(kHelpMenuCaption).c_str());
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
        reinterpret_cast<MainWindow*>(self)->presenter_.list1Backspace();
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
            } else if (item.CtlID == MEZU_ID_LIST1) {
                list1_.draw(item);
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
            if (!presenter_.closeRequested()) {
                ::DestroyWindow(window_);
            }
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
        if (id == controlId(button.control) && notification == BN_CLICKED) {
            presenter_.commandClicked(button.control);
            return;
        }
    }
    for (std::size_t i = 0; i < kHelpMenu.size(); ++i) {
        if (id == kHelpItemIds[i]) {
            presenter_.helpChosen(i);
            return;
        }
    }
    switch (id) {
        case IDOK:
            onEnter();
            break;
        case IDCANCEL:
            presenter_.escapePressed();
            break;
        case MEZU_ID_DRIVE1:
            // While the list is dropped, the selection follows the pointer; the choice counts
            // when the list closes.
            if ((notification == CBN_SELCHANGE && !drive1_.droppedDown()) || notification == CBN_CLOSEUP) {
                presenter_.driveChosen(drive1_.selected());
            } else if (notification == CBN_DROPDOWN) {
                presenter_.drive1DropsDown();
            }
            break;
        case MEZU_ID_DIR1:
            if (notification == LBN_DBLCLK) {
                presenter_.dir1Opened(dir1_.selectedRow());
            }
            break;
        case MEZU_ID_LIST1:
            if (notification == LBN_DBLCLK) {
                presenter_.list1Activated(list1Selection());
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
        presenter_.dir1Opened(dir1_.selectedRow());
    } else if (id == MEZU_ID_LIST1) {
        presenter_.list1Activated(list1Selection());
    } else {
        onCommand(id, BN_CLICKED);
    }
}

std::optional<std::size_t> MainWindow::list1Selection() const
{
    const LRESULT row = ::SendMessageW(::GetDlgItem(window_, MEZU_ID_LIST1), LB_GETCURSEL, 0, 0);
    return row >= 0 ? std::optional{static_cast<std::size_t>(row)} : std::nullopt;
}

void MainWindow::showLists()
{
    list1_.refresh();
    dlist_.refresh();
}

void MainWindow::showTitle(const std::string& title)
{
    ::SetWindowTextW(window_, toWide(title).c_str());
}

void MainWindow::showLabel1(const std::string& path)
{
    label1_.setPath(toWide(path));
}

void MainWindow::showDrive1(const std::vector<mezumain::Drive1Item>& drives)
{
    drive1_.setItems(drives);
}

void MainWindow::selectDrive1(char letter)
{
    drive1_.select(letter);
}

void MainWindow::showDir1(const std::vector<DirectoryViewEntry>& lines)
{
    dir1_.setEntries(lines);
}

void MainWindow::showShares(const std::vector<double>& shares)
{
    list1_.setShares(shares);
}

void MainWindow::enableControls(bool enabled)
{
    for (int id : {MEZU_ID_COMMAND1, MEZU_ID_COMMAND2, MEZU_ID_COMMAND3, MEZU_ID_COMMAND4, MEZU_ID_COMMAND5,
                   MEZU_ID_DRIVE1, MEZU_ID_DIR1}) {
        ::EnableWindow(::GetDlgItem(window_, id), enabled ? TRUE : FALSE);
    }
}

void MainWindow::showRequestedPointer()
{
    windowSystem_.showRequestedPointer();
}

void MainWindow::focus(WindowControl control)
{
    ::SetFocus(::GetDlgItem(window_, controlId(control)));
}

void MainWindow::endProgram()
{
    ::DestroyWindow(window_);
}

void MainWindow::showList1Menu(LPARAM position)
{
    const HWND list = ::GetDlgItem(window_, MEZU_ID_LIST1);
    POINT at{GET_X_LPARAM(position), GET_Y_LPARAM(position)};
    if (position == -1) {
        // From the keyboard's menu key: the current line, or the list's corner.
        RECT line{};
        const LRESULT current = ::SendMessageW(list, LB_GETCURSEL, 0, 0);
        if (current < 0 || ::SendMessageW(list, LB_GETITEMRECT, static_cast<WPARAM>(current),
                                          reinterpret_cast<LPARAM>(&line)) == LB_ERR) {
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
    const std::optional<std::size_t> line = list1Selection();
    const std::vector<mezumain::List1MenuItem> items = presenter_.list1Menu(line);
    const HMENU menu = ::CreatePopupMenu();
    for (std::size_t i = 0; i < items.size(); ++i) {
        const mezumain::List1MenuItem& item = items[i];
        if (item.separatorBefore) {
            ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        }
        ::AppendMenuW(menu, MF_STRING | (item.enabled ? 0U : UINT{MF_GRAYED}) | (item.checked ? UINT{MF_CHECKED} : 0U),
                      MEZU_ID_LIST1_MENU + i, toWide(item.caption).c_str());
    }
    const int chosen = static_cast<int>(
        ::TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, at.x, at.y, 0, window_, nullptr));
    ::DestroyMenu(menu);
    if (chosen >= MEZU_ID_LIST1_MENU && static_cast<std::size_t>(chosen - MEZU_ID_LIST1_MENU) < items.size()) {
        presenter_.list1MenuChosen(items[static_cast<std::size_t>(chosen - MEZU_ID_LIST1_MENU)].action, line);
    }
}

}  // namespace mezu::win32
