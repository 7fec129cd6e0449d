// Reads a saved report on POSIX: the file's bytes as they are when they are valid UTF-8,
// otherwise decoded from Shift_JIS (code page 932) with glibc's iconv.
#pragma once

#include "platform/report_file_reader.h"

namespace mezu::posix {

class PosixReportFileReader final : public ReportFileReader {
public:
    std::optional<std::string> readReport(const std::string& path, std::string& error) override;
};

}  // namespace mezu::posix
