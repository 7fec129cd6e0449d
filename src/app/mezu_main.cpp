// SPDX-License-Identifier: MIT
// Entry point of mezu, the window: the POSIX platform of this machine, the window logic and
// its Qt view. --help and --version answer without a window; `mezu DIR` opens on DIR.
#include <QApplication>
#include <QPushButton>

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <iostream>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "app/licence_text.h"
#include "model/path_text.h"

#include "platform/posix/drive_table.h"
#include "platform/posix/heap_tuning.h"
#include "platform/posix/posix_clock.h"
#include "platform/posix/posix_drive_query.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_file_writer.h"
#include "platform/posix/posix_report_file_reader.h"
#include "platform/posix/posix_text_encoder.h"
#include "report/report_header.h"
#include "ui/mezumain.h"
#include "ui/qt/mezumain_view.h"
#include "ui/qt/qt_open_dialog.h"
#include "ui/qt/qt_printer.h"
#include "ui/qt/qt_save_dialog.h"
#include "ui/qt/qt_translations.h"
#include "ui/qt/qt_window_system.h"

namespace {

constexpr std::string_view kUsage =
    "Usage: mezu [DIR]\n"
    "Opens the window of the directory size survey (ディレクトリ容量調査ツール)\n"
    "on the directory DIR (default: the working directory), a path of this system\n"
    "or a drive path (C:\\home). Qt's own options (-platform, -style...) are taken\n"
    "too.\n"
    "\n"
    "  -h, --help     show this help and exit\n"
    "  --version      show the version and exit\n"
    "\n"
    "Without a display, mezu-report prints the same survey on the terminal.\n";

int usageError(const std::string& message)
{
    std::cerr << "mezu: " << message << "\nTry 'mezu --help' for more information.\n";
    return 2;
}

// What Qt says while it connects to the display, held back: when no display can be reached,
// Qt's lines and its abort give way to one line of ours; otherwise they are passed on.
std::vector<std::pair<QtMsgType, QString>> heldMessages;
void holdStartMessage(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (type == QtFatalMsg) {
        std::cerr << "mezu: no display to open the window on (DISPLAY and WAYLAND_DISPLAY name none "
                     "that answers); mezu-report surveys without one\n";
        std::_Exit(1);
    }
    static_cast<void>(context);
    heldMessages.emplace_back(type, text);
}

}  // namespace

int main(int argc, char** argv)
try {
    for (int i = 1; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "-h" || arg == "--help") {
            std::cout << kUsage << std::flush;
            return std::cout ? 0 : 1;
        }
        if (arg == "--version") {
            std::cout << "mezu " << mezu::kVersionText << '\n' << mezu::kLicenceText << std::flush;
            return std::cout ? 0 : 1;
        }
        // Qt's options have one dash; a long option of none is refused before any display is
        // needed.
        if (arg.starts_with("--")) {
            return usageError("unknown option " + mezu::displayPath(arg));
        }
    }

    mezu::posix::keepLargeBlocksInTheHeap();
    qInstallMessageHandler(holdStartMessage);
    QApplication application{argc, argv};  // takes Qt's own options out of argv
    qInstallMessageHandler(nullptr);
    for (const auto& [type, text] : heldMessages) {
        qt_message_output(type, QMessageLogContext{}, text);
    }

    std::vector<std::string> operands;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && arg.size() > 1 && arg.front() == '-') {
            return usageError("unknown option " + mezu::displayPath(arg));
        } else {
            operands.push_back(arg);
        }
    }
    if (operands.size() > 1) {
        return usageError("one directory at most");
    }

    QApplication::setApplicationName(QStringLiteral("mezu"));
    // Wayland desktops find the window's name and icon through its desktop entry.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.mezu_authors.mezu"));
    QApplication::setWindowIcon(mezu::applicationIcon());
    mezu::installQtTranslations(application, QLocale::system());
    const std::string decimalSeparator = std::localeconv()->decimal_point;

    // One table for both, so that a letter given for the run shows its drive's figures too.
    const auto drives = std::make_shared<mezu::posix::DriveTable>(mezu::posix::defaultDriveTable());
    mezu::posix::PosixFileSystem fileSystem{drives};
    if (!operands.empty()) {
        const std::string& requested = operands.front();
        const mezu::ResolvedDirectory directory = fileSystem.resolveDirectory(requested);
        if (!directory.error.empty()) {
            std::cerr << "mezu: " << mezu::displayPath(requested) << ": " << directory.error << '\n';
            return 1;
        }
        if (!fileSystem.changeDrive(directory.drivePath.front()) || !fileSystem.changeDirectory(directory.drivePath)) {
            std::cerr << "mezu: " << mezu::displayPath(requested) << ": cannot be opened: " << fileSystem.lastError()
                      << '\n';
            return 1;
        }
    }
    mezu::posix::PosixDriveQuery driveQuery{drives};
    mezu::posix::PosixClock clock;
    mezu::QtWindowSystem windowSystem;
    mezu::QtSaveDialog saveDialog;
    mezu::posix::IconvShiftJisEncoder encoder;
    mezu::posix::AtomicFileWriter fileWriter;
    mezu::QtPrinter printer;
    mezu::QtOpenDialog openDialog;
    mezu::posix::PosixReportFileReader fileReader;

    mezu::mezumain window{{fileSystem, driveQuery, windowSystem, clock, decimalSeparator, &saveDialog, &encoder,
                           &fileWriter, &printer, &openDialog, &fileReader}};
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
