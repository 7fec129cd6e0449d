// SPDX-License-Identifier: MIT
// Builds mezu-report's platform on POSIX: the drive table from --drive (or the machine's
// mounts), the file system, the drive query and the clock over it.
#pragma once

#include "app/report_cli.h"

namespace mezu {

std::variant<ReportPlatform, std::string> makePosixReportPlatform(const PlatformOptions& options);

}  // namespace mezu
