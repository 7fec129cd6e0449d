// SPDX-License-Identifier: MIT
// Builds mezu-report's platform on Windows: the drives (the system's own, or the directories
// --drive names), the file system, the drive query, the clock, Shift_JIS through code page 932,
// the report file writer and the reader of saved reports.
#pragma once

#include "app/report_cli.h"

namespace mezu {

std::variant<ReportPlatform, std::string> makeWin32ReportPlatform(const PlatformOptions& options);

// The help of the Windows program.
extern const PlatformHelp kWin32Help;

}  // namespace mezu
