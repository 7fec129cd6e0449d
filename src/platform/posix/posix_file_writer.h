// SPDX-License-Identifier: MIT
// Writes report files on POSIX so that a failed save leaves a file as it was: a regular file is
// replaced through a temporary file beside it, keeping owner and mode, or else written in place;
// links are followed, devices and FIFOs written in place, files no one may write refused. A
// path that names one of this process's own descriptors (/dev/stdout, /dev/fd/N,
// /proc/self/fd/N) is written through that descriptor where it stands, never truncated.
#pragma once

#include "platform/report_file_writer.h"

namespace mezu::posix {

class AtomicFileWriter final : public ReportFileWriter {
public:
    // Where the new content waits until it takes the file's place: in a file without a name
    // (O_TMPFILE) given one only at the end, where the file system allows, so that not even
    // SIGKILL leaves a half-written file behind; or always in a named one (`.mezu-` and eight
    // letters), as on file systems without them.
    enum class Temporary { UnnamedWherePossible, Named };

    explicit AtomicFileWriter(Temporary temporary = Temporary::UnnamedWherePossible)
        : temporary_(temporary)
    {
    }

    bool replaceFile(const std::string& path, const std::string& bytes, std::string& error) override;
    bool writeStandardOutput(const std::string& bytes, std::string& error) override;

private:
    Temporary temporary_;
};

}  // namespace mezu::posix
