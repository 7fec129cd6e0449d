// SPDX-License-Identifier: MIT
// The system's common file dialogs over the main window: Save (GetSaveFileNameW) for the
// report file and Open (GetOpenFileNameW) for the earlier report to compare with. Names are
// UTF-8 drive paths here; the dialogs may return paths of any length.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "ui/open_dialog.h"
#include "ui/save_dialog.h"

namespace mezu::win32 {

class Win32SaveDialog final : public SaveDialog {
public:
    void setOwner(HWND owner) { owner_ = owner; }
    std::optional<std::string> askFileName(std::string_view filter, const std::string& presetName) override;

private:
    HWND owner_ = nullptr;
};

class Win32OpenDialog final : public OpenDialog {
public:
    void setOwner(HWND owner) { owner_ = owner; }
    std::optional<std::string> askFileToOpen(std::string_view title, std::string_view filter) override;

private:
    HWND owner_ = nullptr;
};

// A filter "description|pattern|...|" as the dialogs take it: each part ends with a zero, and
// the list with a second one.
std::wstring dialogFilter(std::string_view filter);

}  // namespace mezu::win32
