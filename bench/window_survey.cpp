// Times a directory survey started from the window, as a user starts it: the real view on the
// offscreen platform, the directory opened at start-up, a click on the survey button. Prints
// the seconds the click took and the number of result lines, for bench/run.sh.
#include <QApplication>
#include <QPushButton>

#include <chrono>
#include <clocale>
#include <cstdio>

#include "platform/posix/drive_table.h"
#include "platform/posix/posix_clock.h"
#include "platform/posix/posix_drive_query.h"
#include "platform/posix/posix_file_system.h"
#include "ui/mezumain.h"
#include "ui/qt/mezumain_view.h"
#include "ui/qt/qt_window_system.h"

int main(int argc, char** argv)
{
    QApplication application{argc, argv};
    if (argc != 2) {
        std::fprintf(stderr, "usage: mezu-window-bench DIR\n");
        return 2;
    }
    const mezu::posix::DriveTable drives = mezu::posix::defaultDriveTable();
    mezu::posix::PosixFileSystem fileSystem{drives};
    const mezu::ResolvedDirectory directory = fileSystem.resolveDirectory(argv[1]);
    if (!directory.error.empty() || !fileSystem.changeDrive(directory.drivePath.front()) ||
        !fileSystem.changeDirectory(directory.drivePath)) {
        std::fprintf(stderr, "mezu-window-bench: %s: cannot be opened\n", argv[1]);
        return 1;
    }
    mezu::posix::PosixDriveQuery driveQuery{drives};
    mezu::posix::PosixClock clock;
    mezu::QtWindowSystem windowSystem;
    mezu::mezumain window{{fileSystem, driveQuery, windowSystem, clock, std::localeconv()->decimal_point}};
    mezu::MezuMainView view{window, windowSystem};
    window.Form_Load();
    view.refreshFromModel();
    view.show();

    const auto start = std::chrono::steady_clock::now();
    view.Command1()->click();
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    std::printf("%.4f %zu\n", took.count(), window.lists().List1.count());
    return 0;
}
