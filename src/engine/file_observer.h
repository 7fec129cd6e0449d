// SPDX-License-Identifier: MIT
// What a measurement shows of each file it counts, beside adding it up: the reports of the files
// themselves (the largest, by kind, by age) are made in the same walk as a survey, without a
// second read of the disk. The observer is told of every file the measurement counts, in the
// walk's order, and of nothing it does not count (hidden and system entries, a second name of a
// hard-linked file counted once).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "model/byte_total.h"
#include "model/directory_list.h"
#include "platform/file_system.h"

namespace mezu {

class FileObserver {
public:
    struct File {
        std::string_view name;
        const EntryFigures& figures;
        ByteTotal counted;  // what it counts in the measurement, in its size mode
        // Its directory is directories.line(directory): built only when an observer needs it,
        // for a walk names millions of files.
        const DirectoryList& directories;
        std::size_t directory;
        // Tells the walk's directories apart where `directory` may be reused: the same for each
        // file of one directory, another for every directory the command enters.
        std::uint64_t directorySerial;
    };

    virtual ~FileObserver() = default;
    virtual void file(const File& file) = 0;
};

}  // namespace mezu
