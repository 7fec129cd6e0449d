// Writes report files on POSIX through a temporary file beside the target that is renamed
// over it once every byte is on disk, so a failed save never destroys an existing file.
#pragma once

#include "platform/report_file_writer.h"

namespace mezu::posix {

class AtomicFileWriter final : public ReportFileWriter {
public:
    bool replaceFile(const std::string& path, const std::string& bytes, std::string& error) override;
};

}  // namespace mezu::posix
