// SPDX-License-Identifier: MIT
#include "ui/win32/gdi_printer.h"

#include <winspool.h>

#include <vector>

#include "platform/win32/wide_text.h"
#include "ui/win32/text_wrap.h"
#include "ui/win32/window_fonts.h"
#include "ui/window_style.h"

namespace mezu::win32 {
namespace {

constexpr wchar_t kDocumentName[] = L"mezu";

// The default printer's settings with `copies` copies, whatever the printer's own default.
std::vector<BYTE> settingsWithCopies(const std::wstring& printerName, int copies)
{
    HANDLE printer = nullptr;
    std::vector<BYTE> settings;
    if (!::OpenPrinterW(const_cast<wchar_t*>(printerName.c_str()), &printer, nullptr)) {
        return settings;
    }
    wchar_t* name = const_cast<wchar_t*>(printerName.c_str());
    const LONG size = ::DocumentPropertiesW(nullptr, printer, name, nullptr, nullptr, 0);
    if (size > 0) {
        settings.resize(static_cast<std::size_t>(size));
        auto* mode = reinterpret_cast<DEVMODEW*>(settings.data());
        if (::DocumentPropertiesW(nullptr, printer, name, mode, nullptr, DM_OUT_BUFFER) == IDOK) {
            mode->dmCopies = static_cast<short>(copies);
            mode->dmFields |= DM_COPIES;
        } else {
            settings.clear();
        }
    }
    ::ClosePrinter(printer);
    return settings;
}

}  // namespace

bool GdiPrinter::setCopies(int copies)
{
    discardDocument();
    DWORD length = 0;
    ::GetDefaultPrinterW(nullptr, &length);
    if (length == 0) {
        return false;
    }
    std::wstring name(length, L'\0');
    if (!::GetDefaultPrinterW(name.data(), &length)) {
        return false;
    }
    name.resize(length > 0 ? length - 1 : 0);
    const std::vector<BYTE> settings = settingsWithCopies(name, copies);
    if (settings.empty()) {
        return false;
    }
    printer_ = ::CreateDCW(L"WINSPOOL", name.c_str(), nullptr, reinterpret_cast<const DEVMODEW*>(settings.data()));
    if (printer_ == nullptr) {
        return false;
    }
    font_ = createReportFont(::GetDeviceCaps(printer_, LOGPIXELSY));
    previousFont_ = ::SelectObject(printer_, font_);
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(printer_, &metrics);
    lineHeight_ = metrics.tmHeight + metrics.tmExternalLeading;
    return lineHeight_ > 0;
}

bool GdiPrinter::startPage()
{
    if (!documentStarted_) {
        DOCINFOW document{};
        document.cbSize = sizeof document;
        document.lpszDocName = kDocumentName;
        if (::StartDocW(printer_, &document) <= 0) {
            return false;
        }
        documentStarted_ = true;
    } else if (pageStarted_ && ::EndPage(printer_) <= 0) {
        return false;
    }
    pageStarted_ = ::StartPage(printer_) > 0;
    // Some drivers reset the device context at each page.
    ::SelectObject(printer_, font_);
    nextTop_ = 0;
    return pageStarted_;
}

bool GdiPrinter::drawLine(const std::wstring& text, int left)
{
    if ((!pageStarted_ || nextTop_ + lineHeight_ > ::GetDeviceCaps(printer_, VERTRES)) && !startPage()) {
        return false;
    }
    const bool drawn = ::TextOutW(printer_, left, nextTop_, text.c_str(), static_cast<int>(text.size())) != 0;
    nextTop_ += lineHeight_;
    return drawn;
}

bool GdiPrinter::printLine(const std::string& text)
{
    if (printer_ == nullptr) {
        return false;
    }
    const int pageWidth = ::GetDeviceCaps(printer_, HORZRES);
    SIZE indentSize{};
    const std::wstring indent(style::kContinuationIndentSpaces, L' ');
    ::GetTextExtentPoint32W(printer_, indent.c_str(), static_cast<int>(indent.size()), &indentSize);

    // The first printed line takes the page's width; what does not fit continues, indented.
    const std::wstring wide = toWide(text);
    const std::vector<std::wstring> lines = wrapAnywhere(printer_, wide, pageWidth, pageWidth - indentSize.cx);
    if (lines.empty()) {
        return drawLine(wide, 0);
    }
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (!drawLine(lines[i], i == 0 ? 0 : indentSize.cx)) {
            return false;
        }
    }
    return true;
}

bool GdiPrinter::endDocument()
{
    bool ended = printer_ != nullptr;
    if (ended && documentStarted_) {
        ended = (!pageStarted_ || ::EndPage(printer_) > 0) && ::EndDoc(printer_) > 0;
        pageStarted_ = false;
        documentStarted_ = !ended;
    }
    discardDocument();
    return ended;
}

void GdiPrinter::discardDocument()
{
    if (printer_ == nullptr) {
        return;
    }
    if (documentStarted_) {
        ::AbortDoc(printer_);
    }
    ::SelectObject(printer_, previousFont_);
    ::DeleteObject(font_);
    ::DeleteDC(printer_);
    printer_ = nullptr;
    font_ = nullptr;
    documentStarted_ = false;
    pageStarted_ = false;
}

}  // namespace mezu::win32
