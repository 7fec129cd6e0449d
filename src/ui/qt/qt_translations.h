// SPDX-License-Identifier: MIT
// Qt's own translations (the buttons and labels of standard dialogs such as the Save dialog
// and the message boxes), so that those speak the user's language as the window does.
#pragma once

#include <QCoreApplication>
#include <QLocale>
#include <QTranslator>

namespace mezu {

// Installs on `application` the translator of Qt's texts for `locale` and returns it (owned by
// the application; deleting it removes every text it brought); null when Qt brings no
// translation for that locale.
QTranslator* installQtTranslations(QCoreApplication& application, const QLocale& locale);

}  // namespace mezu
