// SPDX-License-Identifier: MIT
// The default printer on Windows through GDI: the document is spooled page by page in the
// result list's Mincho face (a line wider than the page continues, indented, on the next
// printed line); only a finished document is handed over as a job, an unfinished one is
// aborted and never printed.
#pragma once

#include <windows.h>

#include "output/printer.h"

namespace mezu::win32 {

class GdiPrinter final : public Printer {
public:
    GdiPrinter() = default;
    GdiPrinter(const GdiPrinter&) = delete;
    GdiPrinter& operator=(const GdiPrinter&) = delete;
    ~GdiPrinter() override { discardDocument(); }

    bool setCopies(int copies) override;
    bool printLine(const std::string& text) override;
    bool endDocument() override;
    void discardDocument() override;

private:
    bool startPage();
    bool drawLine(const std::wstring& text, int left);

    HDC printer_ = nullptr;
    HFONT font_ = nullptr;
    HGDIOBJ previousFont_ = nullptr;
    bool documentStarted_ = false;
    bool pageStarted_ = false;
    int lineHeight_ = 0;
    int nextTop_ = 0;
};

}  // namespace mezu::win32
