// SPDX-License-Identifier: MIT
// The texts every report shares: the six-line header block with its dated line, the survey's
// rule of plus signs and its count line.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "model/line_list.h"
#include "model/size_mode.h"
#include "platform/clock.h"

namespace mezu {

inline constexpr std::string_view kVersionText = "1.10";
inline constexpr std::string_view kVersionDateText = "1998/10/23";
inline constexpr std::string_view kSurveyRule = "+++++++++++++++++++++++++++++++++++++++++";
inline constexpr std::string_view kBlankReportLine = " ";

// "実施日時：1998年10月23日(金)－14時05分09秒"
std::string formatDateLine(const LocalDateTime& when);

// What ends the title line of a survey measured in the allocated size mode, so that a saved
// report says what it measured.
inline constexpr std::string_view kAllocatedTitleNote = "（実割当）";
// And what ends it when a file with several names was counted once.
inline constexpr std::string_view kLinksOnceTitleNote = "（ハードリンク1回）";

// Appends the six header lines: two blank lines, the title with the version, a blank line, the
// date line and a blank line. (A blank line of a report is one space.) A survey made in the
// allocated size mode, or with links counted once, says so at the end of its title; otherwise the
// title is plain.
void appendHeaderBlock(LineList& header, const LocalDateTime& when, SizeMode mode = SizeMode::Clusters,
                       LinkCounting links = LinkCounting::EveryLink);

// What a report stopped before its end has in place of its footer, on screen, in the saved file
// and on paper, so that it is never taken for a whole one (a comparison refuses it too).
inline constexpr std::string_view kStoppedReportNote = "（中止：この報告は途中までです）";

// "C:\DATA 以下のディレクトリ数： 12": the surveyed path and its number of subdirectories,
// which is the number of result lines minus the whole-tree line.
std::string formatCountLine(std::string_view surveyedPath, std::size_t resultLines);

}  // namespace mezu
