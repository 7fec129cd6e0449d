// SPDX-License-Identifier: MIT
// Label1: shows a path that may be longer than the label. The path wraps at any character
// (paths have no spaces to break at), and when even that does not fit, its beginning gives way
// to "…" so that the end, the selected folder, stays in view. The whole path is the tooltip.
#pragma once

#include <QLabel>

namespace mezu {

class PathLabel final : public QLabel {
public:
    explicit PathLabel(QWidget* parent = nullptr);

    // Sets the path shown (text() returns it whole) and its tooltip.
    void setPath(const QString& path);
    // What the label draws for its current text and size.
    QString shownText() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// `text` as it fits in `size` with `font`, wrapped at any character: whole when it fits,
// otherwise "…" and as much of its end as fits.
QString fitWrappedTail(const QString& text, const QFont& font, QSize size);

}  // namespace mezu
