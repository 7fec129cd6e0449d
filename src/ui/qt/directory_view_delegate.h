// SPDX-License-Identifier: MIT
// Draws a line of Dir1 indented by its depth, icon and name together, as a directory view shows
// the open chain from the drive root; the name itself carries no indent, so that typing a name
// finds it (the view's type-ahead matches the start of the shown text).
#pragma once

#include <QStyledItemDelegate>

namespace mezu {

class DirectoryViewDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // How far each level is indented, in the view's pixels.
    static constexpr int kIndentPerLevel = 8;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

}  // namespace mezu
