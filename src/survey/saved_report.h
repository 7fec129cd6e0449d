// SPDX-License-Identifier: MIT
// A saved report read back for a comparison: the file's bytes decoded (it may have been saved in
// Shift_JIS or printed in UTF-8), then its lines checked against the form a survey report has,
// end included, so that a damaged or cut file is refused instead of compared as if whole.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/byte_total.h"
#include "platform/text_encoder.h"

namespace mezu {

enum class ReportEncoding { Utf8, ShiftJis };

struct DecodedReport {
    std::string text;  // UTF-8, without a leading byte order mark
    ReportEncoding encoding = ReportEncoding::Utf8;
    // Set when some line is valid in neither encoding: "line N: ..." naming it.
    std::string error;
};

// UTF-8 when the bytes are valid UTF-8, else Shift_JIS; when they are valid in neither, the
// encoding in which more of the file reads, and the first line that does not.
DecodedReport decodeReportFile(std::string_view bytes, const TextEncoder& codePage);

// One directory line of a survey: its path as the report's text shows it, and its bytes.
struct ReportedDirectory {
    std::string path;
    ByteTotal bytes = 0;
};

struct SavedSurvey {
    std::vector<ReportedDirectory> directories;  // in the report's order
    std::string date;                            // when the survey was made, as its header's date line gives it
    // Why the text is no whole survey report, naming the line ("line 12: ..."); empty when it is.
    std::string error;
};

// The directory lines of a directory survey or an all-drives survey. A directory survey must end
// with its footer, the rule and the count line, whose count must match its lines; an all-drives
// survey, which has no footer, must end with the rule that closes a drive's section. Every other
// line must be the one a survey report has in its place.
SavedSurvey readSavedSurvey(std::string_view text);

// A line of a file as an error message shows it: its controls as "?" and cut to a couple of
// hundred characters, so that no file can flood or drive the terminal.
std::string shownFileLine(std::string_view line);

}  // namespace mezu
