// SPDX-License-Identifier: MIT
// Reads the bytes of a saved report file, for the core to decode: the window and `mezu-report -o`
// save reports in Shift_JIS, `mezu-report` prints them in UTF-8. Only a regular file is read, and
// only up to a size no report reaches, so that a FIFO or a device neither blocks nor floods the
// program.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace mezu {

// A report is a few lines per directory; a file far larger is no report.
inline constexpr std::size_t kLargestReportFile = std::size_t{256} * 1024 * 1024;

class ReportFileReader {
public:
    virtual ~ReportFileReader() = default;
    // The file's bytes, or nullopt with `error` set to a reason a user can read.
    virtual std::optional<std::string> readReportBytes(const std::string& path, std::string& error) = 0;
};

}  // namespace mezu
