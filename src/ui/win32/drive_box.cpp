#include "ui/win32/drive_box.h"

#include <commctrl.h>
#include <shellapi.h>

#include <string>

namespace mezu::win32 {
namespace {

std::wstring rootOf(char letter)
{
    return std::wstring{static_cast<wchar_t>(letter), L':', L'\\'};
}

std::wstring volumeLabel(char letter)
{
    wchar_t label[MAX_PATH + 1] = {};
    if (!::GetVolumeInformationW(rootOf(letter).c_str(), label, MAX_PATH + 1, nullptr, nullptr, nullptr, nullptr,
                                 0)) {
        return {};
    }
    return label;
}

}  // namespace

std::wstring driveLine(char letter, const std::wstring& volumeLabel)
{
    std::wstring line{static_cast<wchar_t>(letter >= 'A' && letter <= 'Z' ? letter - 'A' + 'a' : letter), L':'};
    if (!volumeLabel.empty()) {
        line += L" [" + volumeLabel + L"]";
    }
    return line;
}

void DriveBox::bind(HWND box, const std::vector<char>& letters)
{
    box_ = box;
    letters_ = letters;
    SHFILEINFOW info{};
    // The system's image list of small icons; the shell owns it.
    const auto icons = reinterpret_cast<HIMAGELIST>(
        ::SHGetFileInfoW(L"C:\\", 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
    if (icons != nullptr) {
        ::SendMessageW(box_, CBEM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(icons));
    }
    for (std::size_t i = 0; i < letters_.size(); ++i) {
        const std::wstring root = rootOf(letters_[i]);
        SHFILEINFOW driveInfo{};
        ::SHGetFileInfoW(root.c_str(), 0, &driveInfo, sizeof driveInfo, SHGFI_SYSICONINDEX | SHGFI_SMALLICON);
        std::wstring text = driveLine(letters_[i], volumeLabel(letters_[i]));
        COMBOBOXEXITEMW item{};
        item.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE;
        item.iItem = static_cast<INT_PTR>(i);
        item.pszText = text.data();
        item.iImage = driveInfo.iIcon;
        item.iSelectedImage = driveInfo.iIcon;
        ::SendMessageW(box_, CBEM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
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
