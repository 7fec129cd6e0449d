// SPDX-License-Identifier: MIT
#include "ui/qt/qt_translations.h"

#include <QLibraryInfo>

namespace mezu {
namespace {

// The catalogue of Qt's widgets and dialogs; Debian ships it in qt6-translations-l10n.
constexpr char kQtCatalogue[] = "qtbase";
constexpr char kCatalogueSeparator[] = "_";
// Qt 6 asks for the file dialog's type texts ("Folder", "Drive", "Unknown") under the class
// they moved to; catalogues translated before the move, Japanese among them, hold them under
// the file dialog's own context, so the dialog said "Folder" in English.
constexpr char kMovedContext[] = "QAbstractFileIconProvider";
constexpr char kFormerContext[] = "QFileDialog";

// Answers the moved texts from the catalogue, under their new context where it has them and
// under the former one otherwise; nothing else (the catalogue's own translator answers that).
class MovedTextsTranslator final : public QTranslator {
public:
    MovedTextsTranslator(const QTranslator& catalogue, QObject* parent)
        : QTranslator(parent),
          catalogue_(catalogue)
    {
    }

    bool isEmpty() const override { return catalogue_.isEmpty(); }

    QString translate(const char* context, const char* sourceText, const char* disambiguation, int n) const override
    {
        if (qstrcmp(context, kMovedContext) != 0) {
            return {};
        }
        const QString moved = catalogue_.translate(context, sourceText, disambiguation, n);
        return moved.isNull() ? catalogue_.translate(kFormerContext, sourceText, disambiguation, n) : moved;
    }

private:
    const QTranslator& catalogue_;
};

}  // namespace

QTranslator* installQtTranslations(QCoreApplication& application, const QLocale& locale)
{
    auto* translator = new QTranslator{&application};
    if (!translator->load(locale, QString::fromLatin1(kQtCatalogue), QString::fromLatin1(kCatalogueSeparator),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
        !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return nullptr;
    }
    // Installed last, so asked first; a child of the catalogue, so it goes with it.
    QCoreApplication::installTranslator(new MovedTextsTranslator{*translator, translator});
    return translator;
}

}  // namespace mezu
