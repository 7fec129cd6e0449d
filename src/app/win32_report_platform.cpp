// SPDX-License-Identifier: MIT
#include "app/win32_report_platform.h"

#include "platform/win32/win32_clock.h"
#include "platform/win32/win32_drive_query.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_file_writer.h"
#include "platform/win32/win32_report_file_reader.h"
#include "platform/win32/win32_text_encoder.h"

namespace mezu {

const PlatformHelp kWin32Help = {
    "DIR is a path such as C:\\Users, relative to the current folder or absolute.\n"
    "Hidden and system files and folders are not counted, and junctions, folder\n"
    "links and mount points below DIR are not entered.\n",
    "                 Without it, the drives are the system's own, C: to Z:.\n",
    "                 printing it: a file is replaced whole, a link followed, a\n"
    "                 device (NUL, CON) written to; a read-only file is refused.\n"
    "                 FILE - is standard output, written where it stands\n",
    "  --threads N    read folders with up to N threads (default: as many as the\n"
    "                 reads show they wait for, up to 64; one per core while they\n"
    "                 do not)\n",
};

std::variant<ReportPlatform, std::string> makeWin32ReportPlatform(const PlatformOptions& options)
{
    win32::DriveRoots roots = win32::DriveRoots::systemDrives();
    if (!options.drives.empty()) {
        std::vector<std::pair<char, std::string>> given;
        for (const DriveOption& drive : options.drives) {
            given.emplace_back(drive.letter, drive.root);
        }
        std::variant<win32::DriveRoots, std::string> made = win32::DriveRoots::fromDirectories(given);
        if (std::holds_alternative<std::string>(made)) {
            return std::get<std::string>(made);
        }
        roots = std::move(std::get<win32::DriveRoots>(made));
    }
    ReportPlatform platform;
    platform.fileSystem = std::make_unique<win32::Win32FileSystem>(roots, options.readerThreads);
    platform.driveQuery = std::make_unique<win32::Win32DriveQuery>(roots);
    platform.clock = std::make_unique<win32::Win32Clock>();
    platform.encoder = std::make_unique<win32::Win32ShiftJisEncoder>();
    platform.fileWriter = std::make_unique<win32::Win32FileWriter>();
    platform.fileReader = std::make_unique<win32::Win32ReportFileReader>();
    return platform;
}

}  // namespace mezu
