// Compares the directories of two survey reports: an earlier one read back from its saved text
// and a later one, saved or just made. Each directory in either gets one line with both byte
// figures and the change, largest growth first; a directory in only one report is "new" or
// "gone". The comparison is itself a report: a header in List2, its lines in List1, a rule in
// List3, so that it can be saved and printed like any other.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/window_lists.h"
#include "platform/clock.h"
#include "survey/result_line_fields.h"

namespace mezu {

struct SurveyedDirectories {
    std::vector<ResultLineFields> directories;  // in the report's order
    std::string error;  // for a text that is no survey report: the line that does not parse
};

// The result lines of a saved directory survey or all-drives survey (UTF-8, lines ended by
// LF or CR LF). Any line that such a report cannot hold sets `error` to "line N: TEXT".
SurveyedDirectories readSurveyReport(std::string_view text);
// The result lines of the report the lists hold now.
SurveyedDirectories surveyedDirectories(const LineList& results);

// Replaces List1, List2 and List3 with the comparison of `earlier` (named `earlierName` in the
// header) and `later`.
void fillComparison(WindowLists& lists, const std::vector<ResultLineFields>& earlier,
                    const std::vector<ResultLineFields>& later, std::string_view earlierName,
                    const LocalDateTime& when);

}  // namespace mezu
