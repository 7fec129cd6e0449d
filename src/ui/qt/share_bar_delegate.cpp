// SPDX-License-Identifier: MIT
#include "ui/qt/share_bar_delegate.h"

#include <QAbstractItemView>
#include <QPainter>

#include <algorithm>

#include "ui/qt/line_list_model.h"
#include "ui/window_style.h"

namespace mezu {

void ShareBarDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const QVariant share = index.data(LineListModel::kShareRole);
    if (share.isValid()) {
        // The whole tree spans the visible width of the list, whatever the row's own width.
        const auto* view = qobject_cast<const QAbstractItemView*>(option.widget);
        const int fullWidth = view != nullptr ? view->viewport()->width() : option.rect.width();
        QRect bar = option.rect;
        bar.setWidth(static_cast<int>(std::clamp(share.toDouble(), 0.0, 1.0) * fullWidth));
        painter->fillRect(bar, QColor{style::kShareBar.red, style::kShareBar.green, style::kShareBar.blue});
    }
    QStyledItemDelegate::paint(painter, option, index);
}

}  // namespace mezu
