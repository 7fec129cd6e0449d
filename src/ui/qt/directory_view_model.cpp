// SPDX-License-Identifier: MIT
#include "ui/qt/directory_view_model.h"

#include <utility>

#include "ui/qt/qt_text.h"

namespace mezu {

DirectoryViewModel::DirectoryViewModel(QIcon openIcon, QIcon closedIcon, QObject* parent)
    : QAbstractListModel(parent),
      openIcon_(std::move(openIcon)),
      closedIcon_(std::move(closedIcon))
{
}

void DirectoryViewModel::setEntries(std::vector<DirectoryViewEntry> entries)
{
    beginResetModel();
    entries_ = std::move(entries);
    openRow_ = -1;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (entries_[i].isOpen) {
            openRow_ = static_cast<int>(i);
        }
    }
    endResetModel();
}

int DirectoryViewModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(entries_.size());
}

QVariant DirectoryViewModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || static_cast<std::size_t>(index.row()) >= entries_.size()) {
        return {};
    }
    const DirectoryViewEntry& entry = entries_[static_cast<std::size_t>(index.row())];
    switch (role) {
        case Qt::DisplayRole:
            return qtText(entry.label);
        case kDepthRole:
            return static_cast<int>(entry.depth);
        case Qt::DecorationRole:
            return entry.isOpen || index.row() < openRow_ ? openIcon_ : closedIcon_;
        default:
            return {};
    }
}

}  // namespace mezu
