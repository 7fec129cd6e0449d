// SPDX-License-Identifier: MIT
// Draws a row of List1 with a pale bar behind its text whose length is the row's share of the
// whole tree (the model's share role), the usage bar file managers show; rows without a share
// are drawn as they are. The text, font and colours of the row do not change.
#pragma once

#include <QColor>
#include <QStyledItemDelegate>

namespace mezu {

class ShareBarDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // Pale enough that black text on it keeps the contrast of black on white (WCAG AAA).
    static constexpr QColor kBarColour{214, 228, 250};

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

}  // namespace mezu
