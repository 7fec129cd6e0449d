// Writes report files on POSIX so that a failed save leaves a file as it was: a regular file is
// replaced through a temporary file beside it, keeping owner and mode, or else written in place;
// links are followed, devices and FIFOs written in place, files no one may write refused.
#pragma once

#include "platform/report_file_writer.h"

namespace mezu::posix {

class AtomicFileWriter final : public ReportFileWriter {
public:
    bool replaceFile(const std::string& path, const std::string& bytes, std::string& error) override;
};

}  // namespace mezu::posix
