// SPDX-License-Identifier: MIT
// The report as the output commands send it out: the lines of List2, then List1, then List3,
// saved as a file in the report's code page or printed line by line.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/window_lists.h"
#include "output/printer.h"
#include "platform/report_file_writer.h"
#include "platform/text_encoder.h"

namespace mezu {

inline constexpr std::string_view kSaveFilter = "ﾃｷｽﾄﾌｧｲﾙ|*.txt|All Files|*.*|";
inline constexpr std::string_view kDefaultSaveName = "MEZU.TXT";
inline constexpr std::string_view kSaveErrorMessage = "ファイル出力エラーです";
inline constexpr std::string_view kPrinterErrorMessage = "プリンターエラーです";
// Names shorter than this many characters are not saved to.
inline constexpr std::size_t kShortestSaveName = 4;

// Hands each report line to `visit` in report order, from the lists as they are: a copy of a
// large report would cost as much memory again.
template <typename Visit>
void forEachReportLine(const WindowLists& lists, const Visit& visit)
{
    for (const LineList* part : {&lists.List2, &lists.List1, &lists.List3}) {
        for (const std::string& line : part->lines()) {
            visit(line);
        }
    }
}

// The report lines, copied, in report order.
std::vector<std::string> reportLines(const WindowLists& lists);

// Every report line in the code page, each followed by CR LF; nothing else.
std::string reportFileBytes(const WindowLists& lists, const TextEncoder& encoder);

// Writes the report file, replacing any file of that name whole. On failure the old file is
// left as it was and `error` says why.
bool saveReport(const WindowLists& lists, const std::string& path, const TextEncoder& encoder, ReportFileWriter& writer,
                std::string& error);

// Prints the report as one document of one copy. On the first failure the document is
// discarded and false returned.
bool printReport(const WindowLists& lists, Printer& printer);

}  // namespace mezu
