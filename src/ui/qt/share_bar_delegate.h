// SPDX-License-Identifier: MIT
// Draws a row of List1 with a pale bar (ui/window_style.h) behind its text whose length is the
// row's share of the whole tree (the model's share role), the usage bar file managers show;
// rows without a share are drawn as they are. The text, font and colours of the row do not
// change.
#pragma once

#include <QStyledItemDelegate>

namespace mezu {

class ShareBarDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

}  // namespace mezu
