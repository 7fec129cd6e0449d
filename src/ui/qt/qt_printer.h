// The default printer on Linux: the document is drawn line by line with Qt into a PDF held in
// memory, in the result list's font on the queue's default paper, and only a finished
// document is handed to CUPS, as one job with the copies stated. A line wider than the page
// goes on over as many printed lines as it needs, the continuations indented.
#pragma once

#include <QBuffer>
#include <QPainter>
#include <QPdfWriter>

#include <memory>

#include "platform/printer.h"
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
