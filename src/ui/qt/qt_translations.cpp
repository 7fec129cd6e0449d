#include "ui/qt/qt_translations.h"

#include <QLibraryInfo>

namespace mezu {
namespace {

// The catalogue of Qt's widgets and dialogs; Debian ships it in qt6-translations-l10n.
constexpr char kQtCatalogue[] = "qtbase";
constexpr char kCatalogueSeparator[] = "_";

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
    return translator;
}

}  // namespace mezu
