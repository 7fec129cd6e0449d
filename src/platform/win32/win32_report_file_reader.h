// Reads a saved report back on Windows: UTF-8 when the bytes are valid UTF-8 (as mezu-report
// prints), otherwise Shift_JIS through code page 932 (as the window and -o save).
#pragma once

#include "platform/report_file_reader.h"

namespace mezu::win32 {

class Win32ReportFileReader final : public ReportFileReader {
public:
    std::optional<std::string> readReport(const std::string& path, std::string& error) override;
};

}  // namespace mezu::win32
