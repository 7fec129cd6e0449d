// SPDX-License-Identifier: MIT
#include "ui/win32/win32_window_system.h"

#include "platform/win32/wide_text.h"

namespace mezu::win32 {
namespace {

// A box shows a lone carriage return as nothing; each becomes a line break.
std::wstring messageBoxText(const std::string& text)
{
    std::wstring shown;
    for (wchar_t c : toWide(text)) {
        if (c == L'\r') {
            shown += L"\r\n";
        } else {
            shown += c;
        }
    }
    return shown;
}

}  // namespace

void Win32WindowSystem::attach(HWND window, std::function<void()> beforeEvents)
{
    window_ = window;
    beforeEvents_ = std::move(beforeEvents);
}

void Win32WindowSystem::yield()
{
    if (!throttle_.due()) {
        return;
    }
    showRequestedPointer();
    if (beforeEvents_) {
        beforeEvents_();
    }
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // Left for the main loop, which ends the program once the command has returned.
            ::PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        dispatchMessage(window_, message);
    }
    throttle_.handedOver();
}

void Win32WindowSystem::setMousePointer(MousePointer pointer)
{
    requestedPointer_ = pointer;
}

void Win32WindowSystem::showRequestedPointer()
{
    if (requestedPointer_ == shownPointer_) {
        return;
    }
    shownPointer_ = requestedPointer_;
    // Set at once when the pointer is over the window; WM_SETCURSOR keeps it so.
    POINT position;
    const HWND under = ::GetCursorPos(&position) ? ::WindowFromPoint(position) : nullptr;
    if (window_ != nullptr && under != nullptr && (under == window_ || ::IsChild(window_, under))) {
        ::SetCursor(::LoadCursorW(nullptr, shownPointer_ == MousePointer::Busy ? IDC_WAIT : IDC_ARROW));
    }
}

bool Win32WindowSystem::showBusyPointer() const
{
    if (shownPointer_ != MousePointer::Busy) {
        return false;
    }
    ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
    return true;
}

void Win32WindowSystem::messageBox(const std::string& text)
{
    showRequestedPointer();
    ::MessageBoxW(window_, messageBoxText(text).c_str(), L"mezu", MB_OK);
}

void dispatchMessage(HWND window, MSG& message)
{
    if (window != nullptr && ::IsDialogMessageW(window, &message)) {
        return;
    }
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
}

}  // namespace mezu::win32
