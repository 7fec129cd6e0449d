// SPDX-License-Identifier: MIT
#include "ui/qt/qt_save_dialog.h"

#include <QFileDialog>

#include "ui/qt/file_dialog_columns.h"
#include "ui/qt/qt_text.h"

namespace mezu {
namespace {

constexpr QChar kFilterSeparator = u'|';
constexpr QChar kPatternSeparator = u';';
// The every-file pattern of a Windows-style filter. As a glob here it would hide every name
// without a dot, and the dialog would put its ".*" in place of the extension of the chosen name.
constexpr QStringView kWindowsEveryFile = u"*.*";
constexpr QStringView kEveryFile = u"*";

QString localPatterns(const QString& patterns)
{
    QStringList local = patterns.split(kPatternSeparator);
    for (QString& pattern : local) {
        if (pattern == kWindowsEveryFile) {
            pattern = kEveryFile.toString();
        }
    }
    return local.join(kPatternSeparator);
}

}  // namespace

QStringList qtNameFilters(std::string_view filter)
{
    const QStringList parts = qtText(filter).split(kFilterSeparator);
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (!parts[i].isEmpty()) {
            filters << QStringLiteral("%1 (%2)").arg(parts[i], localPatterns(parts[i + 1]));
        }
    }
    return filters;
}

std::optional<std::string> QtSaveDialog::askFileName(std::string_view filter, const std::string& presetName)
{
    QFileDialog dialog{parent_};
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(qtNameFilters(filter));
    fitFileDialogColumns(dialog);
    dialog.selectFile(qtText(presetName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    const QByteArray chosen = QFile::encodeName(dialog.selectedFiles().constFirst());
    return std::string{chosen.constData(), static_cast<std::size_t>(chosen.size())};
}

}  // namespace mezu
