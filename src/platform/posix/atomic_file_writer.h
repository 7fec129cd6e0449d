// Writes report files on POSIX. An existing regular file (or a new one) is written to a
// temporary file beside it that is renamed over it once every byte is on disk, so a failed
// save never destroys it; the replacement keeps the file's owner and permissions. Where it
// cannot be replaced so (the folder is not writable, the owner cannot be kept) the file is
// written in place. A symbolic link is followed and stays a link; a device, FIFO or terminal
// is written in place, never replaced. A file that no one may write is refused, even for root.
#pragma once

#include "platform/report_file_writer.h"

namespace mezu::posix {

class AtomicFileWriter final : public ReportFileWriter {
public:
    bool replaceFile(const std::string& path, const std::string& bytes, std::string& error) override;
};

}  // namespace mezu::posix
