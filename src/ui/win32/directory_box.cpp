// SPDX-License-Identifier: MIT
#include "ui/win32/directory_box.h"

#include <shellapi.h>

#include <algorithm>

#include "platform/win32/wide_text.h"
#include "ui/win32/window_fonts.h"

namespace mezu::win32 {
namespace {

constexpr int kBaseDpi = 96;
constexpr int kIndentPerLevelAtBase = 8;
constexpr int kGapAtBase = 3;

// The shell's small icon of any folder, open or closed: asked for by attributes, so no folder
// is read for it.
HICON folderIcon(UINT openOrClosed)
{
    SHFILEINFOW info{};
    const DWORD_PTR found = ::SHGetFileInfoW(L"folder", FILE_ATTRIBUTE_DIRECTORY, &info, sizeof info,
                                             SHGFI_ICON | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES | openOrClosed);
    return found != 0 ? info.hIcon : nullptr;
}

}  // namespace

DirectoryBox::~DirectoryBox()
{
    for (HICON icon : {openIcon_, closedIcon_}) {
        if (icon != nullptr) {
            ::DestroyIcon(icon);
        }
    }
}

void DirectoryBox::bind(HWND listBox)
{
    listBox_ = listBox;
    openIcon_ = folderIcon(SHGFI_OPENICON);
    closedIcon_ = folderIcon(0);
}

void DirectoryBox::setMetrics(HFONT font, int dpi)
{
    font_ = font;
    if (listBox_ == nullptr) {
        return;
    }
    iconSize_ = ::GetSystemMetricsForDpi(SM_CXSMICON, static_cast<UINT>(dpi));
    indent_ = ::MulDiv(kIndentPerLevelAtBase, dpi, kBaseDpi);
    const int rowHeight = std::max(fontHeight(listBox_, font_), iconSize_) + 2;
    ::SendMessageW(listBox_, LB_SETITEMHEIGHT, 0, rowHeight);
}

void DirectoryBox::setEntries(std::vector<DirectoryViewEntry> entries)
{
    entries_ = std::move(entries);
    openRow_ = -1;
    ::SendMessageW(listBox_, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(listBox_, LB_RESETCONTENT, 0, 0);
    ::SendMessageW(listBox_, LB_INITSTORAGE, entries_.size(), static_cast<LPARAM>(entries_.size() * 32));
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        ::SendMessageW(listBox_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(toWide(entries_[i].label).c_str()));
        if (entries_[i].isOpen) {
            openRow_ = static_cast<int>(i);
        }
    }
    ::SendMessageW(listBox_, LB_SETCURSEL, static_cast<WPARAM>(openRow_), 0);
    ::SendMessageW(listBox_, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(listBox_, nullptr, TRUE);
}

std::optional<std::size_t> DirectoryBox::selectedRow() const
{
    const LRESULT row = ::SendMessageW(listBox_, LB_GETCURSEL, 0, 0);
    return row >= 0 && static_cast<std::size_t>(row) < entries_.size() ? std::optional{static_cast<std::size_t>(row)}
                                                                       : std::nullopt;
}

void DirectoryBox::draw(const DRAWITEMSTRUCT& item) const
{
    const HDC context = item.hDC;
    const bool chosen = (item.itemState & ODS_SELECTED) != 0;
    ::FillRect(context, &item.rcItem, ::GetSysColorBrush(chosen ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    if (item.itemID != static_cast<UINT>(-1) && item.itemID < entries_.size()) {
        const DirectoryViewEntry& entry = entries_[item.itemID];
        const int rowHeight = item.rcItem.bottom - item.rcItem.top;
        int left = item.rcItem.left + 2 + static_cast<int>(entry.depth) * indent_;
        const HICON icon = entry.isOpen || static_cast<int>(item.itemID) < openRow_ ? openIcon_ : closedIcon_;
        if (icon != nullptr) {
            ::DrawIconEx(context, left, item.rcItem.top + (rowHeight - iconSize_) / 2, icon, iconSize_, iconSize_, 0,
                         nullptr, DI_NORMAL);
        }
        left += iconSize_ + ::MulDiv(kGapAtBase, indent_, kIndentPerLevelAtBase);
        const std::wstring text = toWide(entry.label);
        const HGDIOBJ previous = ::SelectObject(context, font_);
        ::SetBkMode(context, TRANSPARENT);
        ::SetTextColor(context, ::GetSysColor(chosen ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
        RECT textBounds{left, item.rcItem.top, item.rcItem.right, item.rcItem.bottom};
        ::DrawTextW(context, text.c_str(), static_cast<int>(text.size()), &textBounds,
                    DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
        ::SelectObject(context, previous);
    }
    if ((item.itemState & ODS_FOCUS) != 0) {
        ::DrawFocusRect(context, &item.rcItem);
    }
}

}  // namespace mezu::win32
