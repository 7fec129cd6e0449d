// SPDX-License-Identifier: MIT
#include "ui/qt/file_dialog_columns.h"

#include <QFileSystemModel>
#include <QFontMetrics>
#include <QHeaderView>
#include <QListView>
#include <QScrollBar>
#include <QSplitter>
#include <QTreeView>

#include <algorithm>

namespace mezu {
namespace {

// The names Qt gives the dialog's parts.
constexpr char kDetailView[] = "treeView";
constexpr char kPlaces[] = "sidebar";
constexpr char kSplitter[] = "splitter";
constexpr int kNameColumn = 0;
// Wide enough for a name of common length beside a long type, in average characters.
constexpr int kDialogCharacters = 120;

void fitColumns(QTreeView& details)
{
    QHeaderView* header = details.header();
    int others = 0;
    for (int column = 0; column < header->count(); ++column) {
        if (column != kNameColumn) {
            details.resizeColumnToContents(column);
            others += header->sectionSize(column);
        }
    }
    const int rest = details.viewport()->width() - others;
    header->resizeSection(kNameColumn, std::max(rest, header->sectionSizeHint(kNameColumn)));
}

}  // namespace

void fitFileDialogColumns(QFileDialog& dialog)
{
    auto* details = dialog.findChild<QTreeView*>(QString::fromLatin1(kDetailView));
    auto* files = details != nullptr ? qobject_cast<QFileSystemModel*>(details->model()) : nullptr;
    if (files == nullptr) {
        return;
    }
    // The widths are set, not the header's modes: the dialog saves its header for every Qt
    // program of the user, and a width is what a user's own drag would leave there too.
    QObject::connect(files, &QFileSystemModel::directoryLoaded, details, [details] { fitColumns(*details); });
    auto* places = dialog.findChild<QListView*>(QString::fromLatin1(kPlaces));
    auto* splitter = dialog.findChild<QSplitter*>(QString::fromLatin1(kSplitter));
    if (places != nullptr && splitter != nullptr && splitter->count() == 2) {
        const int placesWidth =
            places->sizeHintForColumn(0) + 2 * places->frameWidth() + places->verticalScrollBar()->sizeHint().width();
        splitter->setSizes({placesWidth, std::max(splitter->width() - placesWidth, placesWidth)});
    }
    const int width = QFontMetrics{dialog.font()}.averageCharWidth() * kDialogCharacters;
    dialog.resize(std::max(width, dialog.width()), dialog.height());
}

}  // namespace mezu
