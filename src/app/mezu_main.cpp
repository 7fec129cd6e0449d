// SPDX-License-Identifier: MIT
// Entry point of mezu, the window: the POSIX platform of this machine, the window logic and
// its Qt view.
#include <QApplication>
#include <QPushButton>

#include <clocale>
#include <memory>
#include <iostream>
#include <new>

#include "platform/posix/atomic_file_writer.h"
#include "platform/posix/drive_table.h"
#include "platform/posix/heap_tuning.h"
#include "platform/posix/iconv_encoder.h"
#include "platform/posix/posix_clock.h"
#include "platform/posix/posix_drive_query.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/report_file_reader.h"
#include "ui/mezumain.h"
#include "ui/qt/mezumain_view.h"
#include "ui/qt/qt_open_dialog.h"
#include "ui/qt/qt_printer.h"
#include "ui/qt/qt_save_dialog.h"
#include "ui/qt/qt_translations.h"
#include "ui/qt/qt_window_system.h"

int main(int argc, char** argv)
try {
    mezu::posix::keepLargeBlocksInTheHeap();
    QApplication application{argc, argv};
    QApplication::setApplicationName(QStringLiteral("mezu"));
    QApplication::setWindowIcon(mezu::applicationIcon());
    mezu::installQtTranslations(application, QLocale::system());
    const std::string decimalSeparator = std::localeconv()->decimal_point;

    // One table for both, so that a letter given for the run shows its drive's figures too.
    const auto drives = std::make_shared<mezu::posix::DriveTable>(mezu::posix::defaultDriveTable());
    mezu::posix::PosixFileSystem fileSystem{drives};
    mezu::posix::PosixDriveQuery driveQuery{drives};
    mezu::posix::PosixClock clock;
    mezu::QtWindowSystem windowSystem;
    mezu::QtSaveDialog saveDialog;
    mezu::posix::IconvShiftJisEncoder encoder;
    mezu::posix::AtomicFileWriter fileWriter;
    mezu::QtPrinter printer;
    mezu::QtOpenDialog openDialog;
    mezu::posix::PosixReportFileReader fileReader;

    mezu::mezumain window{{fileSystem, driveQuery, windowSystem, clock, decimalSeparator, &saveDialog,
                           &encoder, &fileWriter, &printer, &openDialog, &fileReader}};
    mezu::MezuMainView view{window, windowSystem};
    saveDialog.setParent(&view);
    openDialog.setParent(&view);
    window.Form_Load();
    view.refreshFromModel();
    view.show();
    view.Command1()->setFocus();
    return QApplication::exec();
} catch (const std::bad_alloc&) {
    // A command that runs out of memory shows a box itself and the window goes on; this is for
    // what is left, such as the start.
    std::cerr << "mezu: out of memory\n";
    return 1;
}
