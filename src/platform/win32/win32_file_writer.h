// SPDX-License-Identifier: MIT
// Writes report files on Windows so that a failed save leaves a file as it was: the bytes go to
// a temporary file beside the target, written through to the disk, which then takes the
// target's place (ReplaceFileW keeps the old file's attributes and security; MoveFileExW makes
// a new one). A file link is followed, a device (CON, NUL, \\.\...) written in place, a
// read-only file refused. Standard output is written through the handle the program was given.
#pragma once

#include "platform/report_file_writer.h"

namespace mezu::win32 {

class Win32FileWriter final : public ReportFileWriter {
public:
    bool replaceFile(const std::string& path, const std::string& bytes, std::string& error) override;
    bool writeStandardOutput(const std::string& bytes, std::string& error) override;
};

}  // namespace mezu::win32
