// SPDX-License-Identifier: MIT
#include "ui/qt/line_list_model.h"

#include <QFontMetrics>
#include <QSize>

#include <algorithm>
#include <utility>

#include "ui/qt/qt_text.h"

namespace mezu {
namespace {

// Room around the text that the item delegate draws inside a row.
constexpr int kTextMargin = 8;

}  // namespace

LineListModel::LineListModel(const LineList& lines, QObject* parent)
    : QAbstractListModel(parent),
      lines_(lines),
      follower_(lines)
{
}

void LineListModel::setRowGeometry(const QFont& font, int rowHeight)
{
    beginResetModel();
    font_ = font;
    rowHeight_ = rowHeight;
    const QFontMetrics metrics{font_};
    for (std::size_t c = 0; c < kAsciiCharacters; ++c) {
        asciiAdvances_[c] = metrics.horizontalAdvance(QLatin1Char{static_cast<char>(c)});
    }
    widest_ = measure(0, shownRows_);
    endResetModel();
}

void LineListModel::refresh()
{
    const LineListFollower::Update update = follower_.catchUp();
    if (!update.afresh) {
        if (update.count > update.first) {
            beginInsertRows({}, static_cast<int>(update.first), static_cast<int>(update.count) - 1);
            widest_ = std::max(widest_, measure(update.first, update.count));
            shownRows_ = update.count;
            endInsertRows();
        }
        return;
    }
    beginResetModel();
    shownRows_ = update.count;
    widest_ = measure(0, update.count);
    endResetModel();
}

void LineListModel::setShares(std::vector<double> shares)
{
    shares_ = std::move(shares);
    if (shownRows_ > 0) {
        emit dataChanged(index(0), index(static_cast<int>(shownRows_) - 1), {kShareRole});
    }
}

int LineListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(shownRows_);
}

QVariant LineListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || static_cast<std::size_t>(index.row()) >= shownRows_) {
        return {};
    }
    switch (role) {
        case Qt::DisplayRole:
            return qtText(lines_.line(static_cast<std::size_t>(index.row())));
        case Qt::SizeHintRole:
            return QSize{widest_ + kTextMargin, rowHeight_};
        case kShareRole:
            if (static_cast<std::size_t>(index.row()) < shares_.size()) {
                return shares_[static_cast<std::size_t>(index.row())];
            }
            return {};
        default:
            return {};
    }
}

int LineListModel::measure(std::size_t from, std::size_t to) const
{
    const QFontMetrics metrics{font_};
    int widest = 0;
    for (std::size_t i = from; i < to; ++i) {
        const std::string& line = lines_.line(i);
        // Shaping every line of a large survey costs more than the survey's own reading: a line
        // of ASCII is as wide as its characters' advances (kerning only narrows it, and the
        // width serves the scroll bar, which may allow a pixel too many).
        int width = 0;
        for (char c : line) {
            const auto code = static_cast<unsigned char>(c);
            if (code >= kAsciiCharacters) {
                width = metrics.horizontalAdvance(qtText(line));
                break;
            }
            width += asciiAdvances_[code];
        }
        widest = std::max(widest, width);
    }
    return widest;
}

}  // namespace mezu
