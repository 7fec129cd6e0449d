// SPDX-License-Identifier: MIT
#include "ui/win32/drive_box.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>

#include "platform/win32/wide_text.h"

namespace mezu::win32 {
namespace {

// As many lines as the list shows before it scrolls, as Qt's drive list does.
constexpr int kMostLinesShown = 10;

std::wstring rootOf(char letter)
{
    return std::wstring{static_cast<wchar_t>(letter), L':', L'\\'};
}

std::wstring volumeLabel(char letter)
{
    wchar_t label[MAX_PATH + 1] = {};
    if (!::GetVolumeInformationW(rootOf(letter).c_str(), label, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr, 0)) {
        return {};
    }
    return label;
}

}  // namespace

void DriveBox::bind(HWND box)
{
    box_ = box;
    SHFILEINFOW info{};
    // The system's image list of small icons; the shell owns it.
    const auto icons = reinterpret_cast<HIMAGELIST>(
        ::SHGetFileInfoW(L"C:\\", 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
    if (icons != nullptr) {
        ::SendMessageW(box_, CBEM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(icons));
    }
}

const DriveBox::Shown& DriveBox::shownFor(const mezumain::Drive1Item& item)
{
    const auto known = shown_.find(item.letter);
    if (known != shown_.end()) {
        return known->second;
    }
    SHFILEINFOW driveInfo{};
    ::SHGetFileInfoW(rootOf(item.letter).c_str(), 0, &driveInfo, sizeof driveInfo,
                     SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
    const std::string caption =
        item.mountPoint ? item.caption : driveCaption(item.letter, toUtf8(volumeLabel(item.letter)));
    return shown_.emplace(item.letter, Shown{toWide(caption), driveInfo.iIcon}).first->second;
}

void DriveBox::setItems(const std::vector<mezumain::Drive1Item>& items)
{
    ::SendMessageW(box_, CB_RESETCONTENT, 0, 0);
    letters_.clear();
    for (const mezumain::Drive1Item& drive : items) {
        const Shown& shown = shownFor(drive);
        std::wstring text = shown.caption;
        COMBOBOXEXITEMW item{};
        item.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE;
        item.iItem = static_cast<INT_PTR>(letters_.size());
        item.pszText = text.data();
        item.iImage = shown.icon;
        item.iSelectedImage = shown.icon;
        ::SendMessageW(box_, CBEM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        letters_.push_back(drive.letter);
    }
    fitList();
}

void DriveBox::setFieldHeight(int height)
{
    fieldHeight_ = height;
    fitList();
}

void DriveBox::fitList() const
{
    // The inner combo box's height is its field and its dropped list together, and it is what
    // drops the list: the extended box keeps its own to the field, under Wine also when asked
    // for more, and an inner box left at the field's height drops an empty list.
    const auto combo = reinterpret_cast<HWND>(::SendMessageW(box_, CBEM_GETCOMBOCONTROL, 0, 0));
    if (combo == nullptr || fieldHeight_ <= 0) {
        return;
    }
    RECT field{};
    ::GetWindowRect(box_, &field);
    const auto lineHeight = static_cast<int>(::SendMessageW(combo, CB_GETITEMHEIGHT, 0, 0));
    const int lines = std::clamp(static_cast<int>(letters_.size()), 1, kMostLinesShown);
    // Below the field, the list's lines inside its frame; the field's own frame counts in both.
    const int frame = 2 * ::GetSystemMetrics(SM_CYEDGE);
    const int height = fieldHeight_ + frame + lines * lineHeight + frame;
    for (const HWND box : {box_, combo}) {
        ::SetWindowPos(box, nullptr, 0, 0, field.right - field.left, height,
                       SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void DriveBox::select(char letter)
{
    for (std::size_t i = 0; i < letters_.size(); ++i) {
        if (letters_[i] == letter) {
            ::SendMessageW(box_, CB_SETCURSEL, i, 0);
            return;
        }
    }
}

char DriveBox::selected() const
{
    const LRESULT index = ::SendMessageW(box_, CB_GETCURSEL, 0, 0);
    return index >= 0 && static_cast<std::size_t>(index) < letters_.size() ? letters_[static_cast<std::size_t>(index)]
                                                                           : '\0';
}

bool DriveBox::droppedDown() const
{
    return ::SendMessageW(box_, CB_GETDROPPEDSTATE, 0, 0) != 0;
}

}  // namespace mezu::win32
