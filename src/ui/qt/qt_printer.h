// SPDX-License-Identifier: MIT
// The default printer on Linux: lines drawn with Qt into an in-memory PDF (long lines continue,
// indented, on the next printed line); only a finished document goes to CUPS, as one job.
#pragma once

#include <QBuffer>
#include <QPainter>
#include <QPdfWriter>

#include <memory>

#include "output/printer.h"
#include "ui/qt/cups_destination.h"

namespace mezu {

class QtPrinter final : public Printer {
public:
    bool setCopies(int copies) override;
    bool printLine(const std::string& text) override;
    bool endDocument() override;
    void discardDocument() override;

private:
    bool beginPage();

    std::unique_ptr<CupsDestination> destination_;
    int copies_ = 1;
    std::unique_ptr<QBuffer> pdf_;
    std::unique_ptr<QPdfWriter> writer_;
    std::unique_ptr<QPainter> painter_;
    qreal nextBaseline_ = 0;
};

}  // namespace mezu
