// SPDX-License-Identifier: MIT
// Writes a report file as a whole: either the file then holds exactly the bytes given, or it
// is left as it was (a device, or a file the platform can only write in place, may be left
// part-written). Standard output, a stream the process was given, is written where it stands.
#pragma once

#include <string>

namespace mezu {

class ReportFileWriter {
public:
    virtual ~ReportFileWriter() = default;
    // Creates or replaces the file at `path` with `bytes`. On failure returns false and sets
    // `error` to a reason a user can read.
    virtual bool replaceFile(const std::string& path, const std::string& bytes, std::string& error) = 0;
    // Writes `bytes` to the process's standard output at its position (a file behind it is
    // added to, never truncated). On failure returns false and sets `error` as above.
    virtual bool writeStandardOutput(const std::string& bytes, std::string& error) = 0;
};

}  // namespace mezu
