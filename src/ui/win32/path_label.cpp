#include "ui/win32/path_label.h"

#include <commctrl.h>

namespace mezu::win32 {
namespace {

constexpr UINT kWrapAnywhere = DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX;
constexpr wchar_t kEllipsis[] = L"…";

bool fits(HDC context, const std::wstring& text, const RECT& bounds)
{
    RECT needed = bounds;
    ::DrawTextW(context, text.c_str(), static_cast<int>(text.size()), &needed, kWrapAnywhere | DT_CALCRECT);
    return needed.bottom <= bounds.bottom && needed.right <= bounds.right;
}

}  // namespace

std::wstring fittingEnd(HDC context, const std::wstring& text, const RECT& bounds)
{
    if (fits(context, text, bounds)) {
        return text;
    }
    // The fewest leading characters to drop, found by halving: fitting only grows as more go.
    std::size_t low = 1;
    std::size_t high = text.size();
    while (low < high) {
        const std::size_t middle = low + (high - low) / 2;
        if (fits(context, kEllipsis + text.substr(middle), bounds)) {
            high = middle;
        } else {
            low = middle + 1;
        }
    }
    return kEllipsis + text.substr(low);
}

void PathLabel::bind(HWND label, HWND owner)
{
    label_ = label;
    tooltip_ = ::CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                                 nullptr, nullptr);
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = owner;
    tool.uId = reinterpret_cast<UINT_PTR>(label_);
    tool.lpszText = const_cast<wchar_t*>(path_.c_str());
    ::SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    // A long path gets as many lines as it needs.
    ::SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, ::GetSystemMetrics(SM_CXSCREEN) / 2);
}

void PathLabel::setPath(const std::wstring& path)
{
    if (path == path_) {
        return;
    }
    path_ = path;
    // Also the control's text, for screen readers and programs that read the window.
    ::SetWindowTextW(label_, path_.c_str());
    TOOLINFOW tool{};
    tool.cbSize = sizeof tool;
    tool.hwnd = ::GetParent(label_);
    tool.uId = reinterpret_cast<UINT_PTR>(label_);
    tool.lpszText = const_cast<wchar_t*>(path_.c_str());
    ::SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    ::InvalidateRect(label_, nullptr, TRUE);
}

void PathLabel::draw(const DRAWITEMSTRUCT& item, HFONT font) const
{
    const HDC context = item.hDC;
    ::FillRect(context, &item.rcItem, ::GetSysColorBrush(COLOR_WINDOW));
    const HGDIOBJ previous = ::SelectObject(context, font);
    ::SetTextColor(context, ::GetSysColor(COLOR_WINDOWTEXT));
    ::SetBkMode(context, TRANSPARENT);
    RECT bounds = item.rcItem;
    std::wstring shown = fittingEnd(context, path_, bounds);
    ::DrawTextW(context, shown.c_str(), static_cast<int>(shown.size()), &bounds, kWrapAnywhere);
    ::SelectObject(context, previous);
}

}  // namespace mezu::win32
