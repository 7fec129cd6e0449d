// Reads a saved report back as UTF-8 text, whichever way it was saved: in the report file's
// code page (Shift_JIS, as the window and `mezu-report -o` save it) or in UTF-8 (as
// `mezu-report` prints it).
#pragma once

#include <optional>
#include <string>

namespace mezu {

class ReportFileReader {
public:
    virtual ~ReportFileReader() = default;
    // The file's text in UTF-8, or nullopt with `error` set to a reason a user can read.
    virtual std::optional<std::string> readReport(const std::string& path, std::string& error) = 0;
};

}  // namespace mezu
