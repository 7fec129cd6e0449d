// SPDX-License-Identifier: MIT
// The reports of the files below a directory, each made in one walk as a survey is: its largest
// files, its files by kind and by age. Each fills the report buffers as the survey does: the
// header with the drive lines and a title line of its own in List2, the body in List1 (in the
// report's own order, never sorted by sortcmd), the count of the files examined in List3. A
// report that is stopped keeps what it found so far, marked as such in place of the footer.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "engine/mezucom.h"
#include "model/window_lists.h"
#include "platform/clock.h"
#include "survey/file_ages.h"
#include "survey/file_kinds.h"
#include "survey/largest_files.h"

namespace mezu {

enum class FileReport { Largest, Kinds, Ages };

// What a report found, for the lines' owners and the exports beside the report. Each line of
// the largest files is tagged with its file's index in `files`.
struct FileFindings {
    FileReport report = FileReport::Largest;
    std::string directory;          // drive path of the surveyed directory
    std::vector<ListedFile> files;  // the largest, largest first
    KindTable kinds;
    std::vector<AgeRow> ages;
    std::uint64_t examined = 0;  // files counted
    ByteTotal bytes = 0;         // what they count together
    bool stopped = false;
};

// `count` is the number of largest files asked for (the other reports ignore it); `clock` gives
// the local dates of files, `when` the report's date, which the ages are reckoned from.
FileFindings fileReportSurvey(WindowLists& lists, mezucom& module, const Clock& clock, const LocalDateTime& when,
                              const std::string& directory, FileReport report,
                              std::size_t count = LargestFiles::kDefaultCount);

}  // namespace mezu
