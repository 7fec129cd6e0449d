// SPDX-License-Identifier: MIT
#include "ui/win32/path_label.h"

#include <commctrl.h>

#include "ui/win32/text_wrap.h"

namespace mezu::win32 {
namespace {

constexpr wchar_t kEllipsis[] = L"…";

int lineHeight(HDC context)
{
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(context, &metrics);
    return metrics.tmHeight;
}

bool fits(HDC context, const std::wstring& text, const RECT& bounds)
{
    const int lines = static_cast<int>(wrapAnywhere(context, text, bounds.right - bounds.left).size());
    return lines * lineHeight(context) <= bounds.bottom - bounds.top;
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
    tooltip_ = ::CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                 CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, nullptr, nullptr);
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
    const RECT& bounds = item.rcItem;
    const int height = lineHeight(context);
    int top = bounds.top;
    const std::wstring shown = fittingEnd(context, path_, bounds);
    for (const std::wstring& line : wrapAnywhere(context, shown, bounds.right - bounds.left)) {
        ::TextOutW(context, bounds.left, top, line.c_str(), static_cast<int>(line.size()));
        top += height;
    }
    ::SelectObject(context, previous);
}

}  // namespace mezu::win32
