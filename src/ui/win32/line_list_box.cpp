// SPDX-License-Identifier: MIT
#include "ui/win32/line_list_box.h"

#include <algorithm>
#include <string>
#include <utility>

#include "platform/win32/wide_text.h"
#include "ui/win32/window_fonts.h"
#include "ui/window_style.h"

namespace mezu::win32 {
namespace {

// Room the list box keeps left and right of the text, and left of it when drawn by the owner.
constexpr int kTextMargin = 6;
constexpr int kOwnerDrawnTextLeft = 2;

bool ownerDrawn(HWND listBox)
{
    return (::GetWindowLongPtrW(listBox, GWL_STYLE) & LBS_OWNERDRAWFIXED) != 0;
}

COLORREF colourRef(style::Colour colour)
{
    return RGB(colour.red, colour.green, colour.blue);
}

}  // namespace

void LineListBox::bind(HWND listBox)
{
    listBox_ = listBox;
    showAfresh(follower_.catchUp().count);
}

void LineListBox::refresh()
{
    if (listBox_ == nullptr) {
        return;
    }
    const LineListFollower::Update update = follower_.catchUp();
    if (update.afresh) {
        showAfresh(update.count);
        return;
    }
    if (update.count == update.first) {
        return;
    }
    ::SendMessageW(listBox_, WM_SETREDRAW, FALSE, 0);
    for (std::size_t i = update.first; i < update.count; ++i) {
        ::SendMessageW(listBox_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(toWide(lines_.line(i)).c_str()));
    }
    widest_ = std::max(widest_, measure(update.first, update.count));
    ::SendMessageW(listBox_, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest_), 0);
    ::SendMessageW(listBox_, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(listBox_, nullptr, TRUE);
}

void LineListBox::showAfresh(std::size_t count)
{
    ::SendMessageW(listBox_, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(listBox_, LB_RESETCONTENT, 0, 0);
    ::SendMessageW(listBox_, LB_INITSTORAGE, count, static_cast<LPARAM>(count * 64));
    for (std::size_t i = 0; i < count; ++i) {
        ::SendMessageW(listBox_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(toWide(lines_.line(i)).c_str()));
    }
    widest_ = measure(0, count);
    ::SendMessageW(listBox_, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest_), 0);
    ::SendMessageW(listBox_, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(listBox_, nullptr, TRUE);
}

void LineListBox::setFont(HFONT font)
{
    font_ = font;
    if (listBox_ != nullptr) {
        widest_ = measure(0, follower_.shown());
        ::SendMessageW(listBox_, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest_), 0);
        if (ownerDrawn(listBox_)) {
            ::SendMessageW(listBox_, LB_SETITEMHEIGHT, 0, fontHeight(listBox_, font_));
        }
    }
}

void LineListBox::setShares(std::vector<double> shares)
{
    shares_ = std::move(shares);
    if (listBox_ != nullptr) {
        ::InvalidateRect(listBox_, nullptr, TRUE);
    }
}

void LineListBox::draw(const DRAWITEMSTRUCT& item) const
{
    const HDC context = item.hDC;
    const bool chosen = (item.itemState & ODS_SELECTED) != 0;
    RECT inside{};
    ::GetClientRect(listBox_, &inside);
    // A line scrolled sideways starts left of the client area; its background spans what shows.
    const RECT row{std::min(item.rcItem.left, inside.left), item.rcItem.top, std::max(item.rcItem.right, inside.right),
                   item.rcItem.bottom};
    ::FillRect(context, &row, ::GetSysColorBrush(chosen ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    if (item.itemID == static_cast<UINT>(-1)) {
        return;
    }
    if (!chosen && item.itemID < shares_.size()) {
        const double share = std::clamp(shares_[item.itemID], 0.0, 1.0);
        const RECT bar{item.rcItem.left, item.rcItem.top,
                       item.rcItem.left + static_cast<LONG>(share * (inside.right - inside.left)), item.rcItem.bottom};
        const HBRUSH brush = ::CreateSolidBrush(colourRef(style::kShareBar));
        ::FillRect(context, &bar, brush);
        ::DeleteObject(brush);
    }
    // The text the control holds: the lines may have moved on since it was last refreshed.
    const LRESULT length = ::SendMessageW(listBox_, LB_GETTEXTLEN, item.itemID, 0);
    if (length > 0) {
        std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
        ::SendMessageW(listBox_, LB_GETTEXT, item.itemID, reinterpret_cast<LPARAM>(text.data()));
        text.resize(static_cast<std::size_t>(length));
        const HGDIOBJ previous = ::SelectObject(context, font_);
        ::SetBkMode(context, TRANSPARENT);
        ::SetTextColor(context, ::GetSysColor(chosen ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        ::TextOutW(context, item.rcItem.left + kOwnerDrawnTextLeft, item.rcItem.top, text.c_str(),
                   static_cast<int>(text.size()));
        ::SelectObject(context, previous);
    }
    if ((item.itemState & ODS_FOCUS) != 0) {
        ::DrawFocusRect(context, &item.rcItem);
    }
}

int LineListBox::measure(std::size_t from, std::size_t to) const
{
    const HDC context = ::GetDC(listBox_);
    const HGDIOBJ previous = ::SelectObject(context, font_);
    int widest = 0;
    for (std::size_t i = from; i < to; ++i) {
        const std::wstring text = toWide(lines_.line(i));
        SIZE size{};
        ::GetTextExtentPoint32W(context, text.c_str(), static_cast<int>(text.size()), &size);
        widest = std::max(widest, static_cast<int>(size.cx) + kTextMargin);
    }
    ::SelectObject(context, previous);
    ::ReleaseDC(listBox_, context);
    return widest;
}

}  // namespace mezu::win32
