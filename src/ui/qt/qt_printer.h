// The default printer on Qt (Qt Print Support, CUPS on Linux): one document at a time, drawn
// line by line in the result list's font with the printer's default layout.
#pragma once

#include <QPainter>
#include <QPrinter>

#include <memory>

#include "platform/printer.h"

namespace mezu {

class QtPrinter final : public Printer {
public:
    bool setCopies(int copies) override;
    bool printLine(const std::string& text) override;
    bool endDocument() override;
    void discardDocument() override;

private:
    std::unique_ptr<QPrinter> printer_;
    std::unique_ptr<QPainter> painter_;
    qreal nextBaseline_ = 0;
};

}  // namespace mezu
