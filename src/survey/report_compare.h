// SPDX-License-Identifier: MIT
// Compares the directories of two surveys: an earlier one read back from its saved report and a
// later one, saved too or made now. Each directory gets one line, readable in the result list's
// width: the change first, then the directory, then its size before and after in the form of the
// result lines and the exact change in bytes, largest growth first. The comparison is itself a
// report (a header in List2, a caption and its lines in List1, a footer in List3) that can be
// saved and printed like any other.
//
// Directories are matched by the path a saved report shows, so a survey made now is named as its
// saved report would name it; where one path stands for several directories (a damaged report,
// or names a report shows alike), none is dropped: they are paired in order, and the footer names
// the path.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/mezucom.h"
#include "model/line_list.h"
#include "model/window_lists.h"
#include "platform/clock.h"
#include "platform/text_encoder.h"
#include "survey/saved_report.h"

namespace mezu {

struct ComparedSurvey {
    std::vector<ReportedDirectory> directories;
    std::string date;  // when it was made, as a report's date line gives it
};

// The survey whose result lines `results` holds (each tagged with its measurement, as a survey
// leaves them), named as its report saved in `encoding` names each directory.
ComparedSurvey surveyAsSaved(const LineList& header, const LineList& results,
                             const std::vector<TreeMeasurement>& measurements, ReportEncoding encoding,
                             const TextEncoder& codePage);

// The paths of a report printed in UTF-8 as its report saved in Shift_JIS would show them, for a
// comparison with a saved one.
void narrowToShiftJis(ComparedSurvey& survey, const TextEncoder& codePage);

// Replaces List1, List2 and List3 with the comparison of `earlier`, read from the file
// `earlierName`, and `later`. Returns the paths that stand for more than one directory in either
// survey, each once, which the footer names too.
std::vector<std::string> fillComparison(WindowLists& lists, const ComparedSurvey& earlier, const ComparedSurvey& later,
                                        std::string_view earlierName, const LocalDateTime& when,
                                        std::string_view decimalSeparator = ".");

}  // namespace mezu
