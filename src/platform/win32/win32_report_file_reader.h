// SPDX-License-Identifier: MIT
// Reads a saved report file on Windows; only a file on disk is read (not a pipe, console or
// device).
#pragma once

#include "platform/report_file_reader.h"

namespace mezu::win32 {

class Win32ReportFileReader final : public ReportFileReader {
public:
    std::optional<std::string> readReportBytes(const std::string& path, std::string& error) override;
};

}  // namespace mezu::win32
