// SPDX-License-Identifier: MIT
#include "app/posix_report_platform.h"

#include <memory>

#include "platform/posix/drive_table.h"
#include "platform/posix/posix_clock.h"
#include "platform/posix/posix_drive_query.h"
#include "platform/posix/posix_file_system.h"
#include "platform/posix/posix_file_writer.h"
#include "platform/posix/posix_report_file_reader.h"
#include "platform/posix/posix_text_encoder.h"

namespace mezu {

std::variant<ReportPlatform, std::string> makePosixReportPlatform(const PlatformOptions& options)
{
    const std::vector<DriveOption>& drives = options.drives;
    posix::DriveTable table;
    if (drives.empty()) {
        table = posix::defaultDriveTable();
    } else {
        std::vector<posix::DriveMapping> roots;
        roots.reserve(drives.size());
        for (const DriveOption& drive : drives) {
            roots.push_back({drive.letter, drive.root});
        }
        std::variant<posix::DriveTable, std::string> made = posix::driveTableFromRoots(roots);
        if (std::holds_alternative<std::string>(made)) {
            return std::get<std::string>(made);
        }
        table = std::get<posix::DriveTable>(made);
    }
    // One table for both, so that a letter given for the run heads the report too.
    const auto shared = std::make_shared<posix::DriveTable>(std::move(table));
    ReportPlatform platform;
    platform.fileSystem = std::make_unique<posix::PosixFileSystem>(shared, options.readerThreads);
    platform.driveQuery = std::make_unique<posix::PosixDriveQuery>(shared);
    platform.clock = std::make_unique<posix::PosixClock>();
    platform.encoder = std::make_unique<posix::IconvShiftJisEncoder>();
    platform.fileWriter = std::make_unique<posix::AtomicFileWriter>();
    platform.fileReader = std::make_unique<posix::PosixReportFileReader>();
    return platform;
}

}  // namespace mezu
