// SPDX-License-Identifier: MIT
#include "ui/qt/path_label.h"

#include <QFontMetrics>
#include <QPainter>
#include <QTextLayout>

namespace mezu {
namespace {

const QString kEllipsis = QStringLiteral("…");

QTextOption wrapAnywhere()
{
    QTextOption option{Qt::AlignLeft | Qt::AlignTop};
    option.setWrapMode(QTextOption::WrapAnywhere);
    return option;
}

int wrappedLineCount(const QString& text, const QFont& font, int width)
{
    QTextLayout layout{text, font};
    layout.setTextOption(wrapAnywhere());
    layout.beginLayout();
    int lines = 0;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(width);
        ++lines;
    }
    layout.endLayout();
    return lines;
}

}  // namespace

QString fitWrappedTail(const QString& text, const QFont& font, QSize size)
{
    const int lineSpacing = QFontMetrics{font}.lineSpacing();
    const int maxLines = std::max(1, size.height() / std::max(1, lineSpacing));
    auto fits = [&](const QString& candidate) { return wrappedLineCount(candidate, font, size.width()) <= maxLines; };
    if (fits(text)) {
        return text;
    }
    // The shortest cut from the front that fits; fitting only improves as more is cut.
    qsizetype fitting = text.size();
    qsizetype tooMuch = 0;
    while (fitting - tooMuch > 1) {
        const qsizetype middle = tooMuch + (fitting - tooMuch) / 2;
        if (fits(kEllipsis + text.mid(middle))) {
            fitting = middle;
        } else {
            tooMuch = middle;
        }
    }
    if (fitting < text.size() && text.at(fitting).isLowSurrogate()) {
        ++fitting;
    }
    return kEllipsis + text.mid(fitting);
}

PathLabel::PathLabel(QWidget* parent)
    : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void PathLabel::setPath(const QString& path)
{
    setText(path);
    setToolTip(path);
}

QString PathLabel::shownText() const
{
    return fitWrappedTail(text(), font(), contentsRect().size());
}

void PathLabel::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter{this};
    painter.setPen(palette().color(foregroundRole()));
    painter.setFont(font());
    painter.drawText(QRectF{contentsRect()}, shownText(), wrapAnywhere());
}

}  // namespace mezu
