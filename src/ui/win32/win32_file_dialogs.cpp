// SPDX-License-Identifier: MIT
#include "ui/win32/win32_file_dialogs.h"

#include <commdlg.h>

#include "platform/win32/wide_text.h"

namespace mezu::win32 {
namespace {

// Room for a path far beyond MAX_PATH: the dialog fails with FNERR_BUFFERTOOSMALL otherwise.
constexpr std::size_t kNameCapacity = 32768;

std::optional<std::string> chosenName(const std::wstring& buffer)
{
    return toUtf8(std::wstring_view{buffer.c_str()});
}

OPENFILENAMEW dialogSettings(HWND owner, const std::wstring& filter, std::wstring& name)
{
    OPENFILENAMEW settings{};
    settings.lStructSize = sizeof settings;
    settings.hwndOwner = owner;
    settings.lpstrFilter = filter.c_str();
    settings.nFilterIndex = 1;
    settings.lpstrFile = name.data();
    settings.nMaxFile = static_cast<DWORD>(name.size());
    return settings;
}

}  // namespace

std::wstring dialogFilter(std::string_view filter)
{
    std::wstring parts = toWide(filter);
    for (wchar_t& c : parts) {
        if (c == L'|') {
            c = L'\0';
        }
    }
    if (parts.empty() || parts.back() != L'\0') {
        parts += L'\0';
    }
    // The wstring's own terminator is the list's second zero.
    return parts;
}

std::optional<std::string> Win32SaveDialog::askFileName(std::string_view filter, const std::string& presetName)
{
    const std::wstring filterText = dialogFilter(filter);
    std::wstring name = toWide(presetName);
    name.resize(kNameCapacity, L'\0');
    OPENFILENAMEW settings = dialogSettings(owner_, filterText, name);
    // Replacing an existing file is confirmed first, as every Windows program asks; the
    // process's working directory is left alone.
    settings.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
    if (!::GetSaveFileNameW(&settings)) {
        return std::nullopt;
    }
    return chosenName(name);
}

std::optional<std::string> Win32OpenDialog::askFileToOpen(std::string_view title, std::string_view filter)
{
    const std::wstring filterText = dialogFilter(filter);
    const std::wstring titleText = toWide(title);
    std::wstring name(kNameCapacity, L'\0');
    OPENFILENAMEW settings = dialogSettings(owner_, filterText, name);
    settings.lpstrTitle = titleText.c_str();
    settings.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
    if (!::GetOpenFileNameW(&settings)) {
        return std::nullopt;
    }
    return chosenName(name);
}

}  // namespace mezu::win32
