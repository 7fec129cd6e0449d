#include "ui/qt/qt_printer.h"

#include <QFontMetricsF>
#include <QPrinterInfo>

#include "ui/qt/mezumain_view.h"

namespace mezu {

bool QtPrinter::setCopies(int copies)
{
    painter_.reset();
    const QPrinterInfo defaultPrinter = QPrinterInfo::defaultPrinter();
    if (defaultPrinter.isNull()) {
        printer_.reset();
        return false;
    }
    printer_ = std::make_unique<QPrinter>(defaultPrinter);
    printer_->setCopyCount(copies);
    printer_->setDocName(QStringLiteral("mezu"));
    return printer_->isValid();
}

bool QtPrinter::printLine(const std::string& text)
{
    if (!printer_) {
        return false;
    }
    if (!painter_) {
        painter_ = std::make_unique<QPainter>();
        if (!painter_->begin(printer_.get())) {
            painter_.reset();
            return false;
        }
        painter_->setFont(QFont{reportFont(), printer_.get()});
        nextBaseline_ = QFontMetricsF{painter_->font(), printer_.get()}.ascent();
    }
    const QFontMetricsF metrics{painter_->font(), printer_.get()};
    const qreal pageHeight = printer_->pageLayout().paintRectPixels(printer_->resolution()).height();
    if (nextBaseline_ + metrics.descent() > pageHeight) {
        if (!printer_->newPage()) {
            return false;
        }
        nextBaseline_ = metrics.ascent();
    }
    painter_->drawText(QPointF{0, nextBaseline_},
                       QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
    nextBaseline_ += metrics.lineSpacing();
    return true;
}

bool QtPrinter::endDocument()
{
    const bool ended = !painter_ || painter_->end();
    painter_.reset();
    printer_.reset();
    return ended;
}

void QtPrinter::discardDocument()
{
    if (printer_) {
        printer_->abort();
    }
    if (painter_ && painter_->isActive()) {
        painter_->end();
    }
    painter_.reset();
    printer_.reset();
}

}  // namespace mezu
