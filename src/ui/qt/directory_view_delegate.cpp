// SPDX-License-Identifier: MIT
#include "ui/qt/directory_view_delegate.h"

#include "ui/qt/directory_view_model.h"

namespace mezu {
namespace {

int indentOf(const QModelIndex& index)
{
    return index.data(DirectoryViewModel::kDepthRole).toInt() * DirectoryViewDelegate::kIndentPerLevel;
}

}  // namespace

void DirectoryViewDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyleOptionViewItem indented = option;
    indented.rect.setLeft(option.rect.left() + indentOf(index));
    QStyledItemDelegate::paint(painter, indented, index);
}

QSize DirectoryViewDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    return QStyledItemDelegate::sizeHint(option, index) + QSize{indentOf(index), 0};
}

}  // namespace mezu
