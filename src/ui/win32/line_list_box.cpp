// SPDX-License-Identifier: MIT
#include "ui/win32/line_list_box.h"

#include <algorithm>

#include "platform/win32/wide_text.h"

namespace mezu::win32 {
namespace {

// Room the list box keeps left and right of the text.
constexpr int kTextMargin = 6;

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
    ::SendMessageW(listBox_, LB_INITSTORAGE, count, count * 64);
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
