// SPDX-License-Identifier: MIT
#include "ui/qt/qt_printer.h"

#include <QFontMetricsF>
#include <QPageLayout>
#include <QTextLayout>

#include <vector>

#include "ui/qt/mezumain_view.h"
#include "ui/qt/qt_text.h"
#include "ui/window_style.h"

namespace mezu {
namespace {

constexpr char kDocumentName[] = "mezu";
constexpr qreal kHundredthsPerMillimetre = 100;
// Used when the queue names no paper of its own (a raw queue).
constexpr QPageSize::PageSizeId kFallbackPaper = QPageSize::A4;
constexpr qreal kFallbackMarginMillimetres = 10;

QPageLayout pageLayoutOf(const CupsDestination& destination)
{
    const std::optional<cups_size_t> media = destination.defaultMedia();
    if (!media) {
        const qreal margin = kFallbackMarginMillimetres;
        return QPageLayout{QPageSize{kFallbackPaper}, QPageLayout::Portrait, QMarginsF{margin, margin, margin, margin},
                           QPageLayout::Millimeter};
    }
    const auto millimetres = [](int hundredths) { return hundredths / kHundredthsPerMillimetre; };
    return QPageLayout{QPageSize{QSizeF{millimetres(media->width), millimetres(media->length)}, QPageSize::Millimeter},
                       QPageLayout::Portrait,
                       QMarginsF{millimetres(media->left), millimetres(media->top), millimetres(media->right),
                                 millimetres(media->bottom)},
                       QPageLayout::Millimeter};
}

}  // namespace

bool QtPrinter::setCopies(int copies)
{
    discardDocument();
    destination_ = CupsDestination::openDefault();
    if (!destination_) {
        return false;
    }
    copies_ = copies;
    pdf_ = std::make_unique<QBuffer>();
    pdf_->open(QIODevice::WriteOnly);
    writer_ = std::make_unique<QPdfWriter>(pdf_.get());
    writer_->setTitle(QString::fromLatin1(kDocumentName));
    writer_->setCreator(QString::fromLatin1(kDocumentName));
    return writer_->setPageLayout(pageLayoutOf(*destination_));
}

bool QtPrinter::beginPage()
{
    if (!painter_) {
        painter_ = std::make_unique<QPainter>();
        if (!painter_->begin(writer_.get())) {
            return false;
        }
        painter_->setFont(QFont{reportFont(), writer_.get()});
    } else if (!writer_->newPage()) {
        return false;
    }
    nextBaseline_ = QFontMetricsF{painter_->font(), writer_.get()}.ascent();
    return true;
}

bool QtPrinter::printLine(const std::string& text)
{
    if (!writer_ || (!painter_ && !beginPage())) {
        return false;
    }
    const QRectF page = writer_->pageLayout().paintRectPixels(writer_->resolution());
    const QFontMetricsF metrics{painter_->font(), writer_.get()};
    const qreal indent = metrics.horizontalAdvance(QString(style::kContinuationIndentSpaces, u' '));

    QTextLayout layout{qtText(text), painter_->font(), writer_.get()};
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    std::vector<QTextLine> lines;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        const qreal left = lines.empty() ? 0 : indent;
        line.setLineWidth(page.width() - left);
        line.setPosition(QPointF{left, 0});
        lines.push_back(line);
    }
    layout.endLayout();

    for (const QTextLine& line : lines) {
        if (nextBaseline_ + metrics.descent() > page.height() && !beginPage()) {
            return false;
        }
        line.draw(painter_.get(), QPointF{0, nextBaseline_ - line.ascent()});
        nextBaseline_ += metrics.lineSpacing();
    }
    return true;
}

bool QtPrinter::endDocument()
{
    bool ended = destination_ != nullptr;
    if (ended && painter_) {
        const QByteArray& pdf = pdf_->data();
        ended = painter_->end() && destination_->submitPdf(
                                       kDocumentName, {pdf.constData(), static_cast<std::size_t>(pdf.size())}, copies_);
    }
    discardDocument();
    return ended;
}

void QtPrinter::discardDocument()
{
    if (painter_ && painter_->isActive()) {
        painter_->end();
    }
    painter_.reset();
    writer_.reset();
    pdf_.reset();
    destination_.reset();
}

}  // namespace mezu
