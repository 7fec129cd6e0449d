// SPDX-License-Identifier: MIT
#include "ui/qt/qt_open_dialog.h"

#include <QFileDialog>

#include "ui/qt/file_dialog_columns.h"
#include "ui/qt/qt_save_dialog.h"
#include "ui/qt/qt_text.h"

namespace mezu {

std::optional<std::string> QtOpenDialog::askFileToOpen(std::string_view title, std::string_view filter)
{
    QFileDialog dialog{parent_, qtText(title)};
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(qtNameFilters(filter));
    fitFileDialogColumns(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    const QByteArray chosen = QFile::encodeName(dialog.selectedFiles().constFirst());
    return std::string{chosen.constData(), static_cast<std::size_t>(chosen.size())};
}

}  // namespace mezu
