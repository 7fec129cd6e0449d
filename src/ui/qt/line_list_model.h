// SPDX-License-Identifier: MIT
// A Qt list model over one of the window's line lists, for a QListView that shows it. The view
// stays exactly what the list holds: refresh() adds only the new rows while the list has just
// grown (a survey appending its results), and shows the whole list afresh after anything else
// (a clear, a sort, a replaced line). Every row reports the width of the widest line, so the
// view needs no layout pass over its rows and scrolls sideways instead of cutting a long line.
#pragma once

#include <QAbstractListModel>
#include <QFont>

#include <array>
#include <cstdint>
#include <vector>

#include "model/line_list.h"

namespace mezu {

class LineListModel final : public QAbstractListModel {
public:
    // Borrows `lines`, which outlives the model; shows nothing until the first refresh().
    explicit LineListModel(const LineList& lines, QObject* parent = nullptr);

    // The font the view draws with and the height of one row in pixels; the row width follows
    // the widest line in that font.
    void setRowGeometry(const QFont& font, int rowHeight);
    // Brings the rows up to the list as it stands now.
    void refresh();
    // Each row's share of a whole, from 0 to 1, offered as kShareRole; rows without one (all,
    // when `shares` is empty) have none.
    void setShares(std::vector<double> shares);
    const std::vector<double>& shares() const { return shares_; }

    static constexpr int kShareRole = Qt::UserRole + 1;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    static constexpr std::size_t kAsciiCharacters = 128;

    int measure(std::size_t from, std::size_t to) const;

    const LineList& lines_;
    LineListFollower follower_;
    std::size_t shownRows_ = 0;
    QFont font_;
    int rowHeight_ = 0;
    int widest_ = 0;                                     // pixels of the widest shown line
    std::array<int, kAsciiCharacters> asciiAdvances_{};  // pixels of each ASCII character
    std::vector<double> shares_;
};

}  // namespace mezu
