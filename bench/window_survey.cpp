// SPDX-License-Identifier: MIT
// Times the window as a user drives it, on the offscreen platform, for bench/run.sh:
//   mezu-window-bench DIR         the directory opened at start-up, a click on the survey
//                                 button; prints the seconds the click took and the result lines
//   mezu-window-bench --open DIR  the window opened on DIR's parent, then DIR opened in the
//                                 directory view and drawn; prints the seconds and Dir1's lines
#include <QAbstractItemModel>
#include <QApplication>
#include <QListView>
#include <QPushButton>

#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "platform/posix/drive_table.h"
#include "platform/posix/heap_tuning.h"
#include "platform/posix/posix_clock.h"
#include "platform/posix/posix_drive_query.h"
#include "platform/posix/posix_file_system.h"
#include "ui/mezumain.h"
#include "ui/qt/mezumain_view.h"
#include "ui/qt/qt_window_system.h"

int main(int argc, char** argv)
{
    mezu::posix::keepLargeBlocksInTheHeap();
    QApplication application{argc, argv};
    const bool opening = argc == 3 && std::strcmp(argv[1], "--open") == 0;
    if (argc != 2 && !opening) {
        std::fprintf(stderr, "usage: mezu-window-bench [--open] DIR\n");
        return 2;
    }
    const char* const path = argv[argc - 1];
    // Shared with the drive query, which so knows a letter the directory is given for the run.
    const auto drives = std::make_shared<mezu::posix::DriveTable>(mezu::posix::defaultDriveTable());
    mezu::posix::PosixFileSystem fileSystem{drives};
    const mezu::ResolvedDirectory directory = fileSystem.resolveDirectory(path);
    std::string startIn = directory.drivePath;
    if (opening && startIn.size() > 3) {
        startIn.erase(std::max<std::size_t>(startIn.rfind('\\'), 3));
    }
    if (!directory.error.empty() || !fileSystem.changeDrive(directory.drivePath.front()) ||
        !fileSystem.changeDirectory(startIn)) {
        std::fprintf(stderr, "mezu-window-bench: %s: cannot be opened\n", path);
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
    if (opening) {
        window.openDirectory(directory.drivePath);
        view.refreshFromModel();
        view.Dir1()->repaint();
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        std::printf("%.4f %d\n", took.count(), view.Dir1()->model()->rowCount());
        return 0;
    }
    view.Command1()->click();
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    std::printf("%.4f %zu\n", took.count(), window.lists().List1.count());
    return 0;
}
