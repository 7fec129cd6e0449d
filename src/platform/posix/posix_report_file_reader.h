// SPDX-License-Identifier: MIT
// Reads a saved report file on POSIX: opened without blocking, so that a FIFO with no writer is
// refused instead of waiting for one.
#pragma once

#include "platform/report_file_reader.h"

namespace mezu::posix {

class PosixReportFileReader final : public ReportFileReader {
public:
    std::optional<std::string> readReportBytes(const std::string& path, std::string& error) override;
};

}  // namespace mezu::posix
