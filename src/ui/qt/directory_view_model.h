// SPDX-License-Identifier: MIT
// A Qt list model over the directory view's entries (the open directory's ancestors, then its
// subdirectories), for the QListView Dir1: the entries are handed over in one step, so opening
// a directory with hundreds of thousands of subdirectories costs no widget per line. The text
// is the name alone; the indent is the depth role's, for DirectoryViewDelegate.
#pragma once

#include <QAbstractListModel>
#include <QIcon>

#include <vector>

#include "ui/directory_view.h"

namespace mezu {

class DirectoryViewModel final : public QAbstractListModel {
public:
    // The icons for the open directory's chain and for the subdirectories below it.
    DirectoryViewModel(QIcon openIcon, QIcon closedIcon, QObject* parent = nullptr);

    // The entry's depth below the drive root (0 for the root), for the indent.
    static constexpr int kDepthRole = Qt::UserRole;

    void setEntries(std::vector<DirectoryViewEntry> entries);
    const std::vector<DirectoryViewEntry>& entries() const { return entries_; }
    // The row of the open directory itself, or -1 when there is none.
    int openRow() const { return openRow_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    QIcon openIcon_;
    QIcon closedIcon_;
    std::vector<DirectoryViewEntry> entries_;
    int openRow_ = -1;
};

}  // namespace mezu
