// SPDX-License-Identifier: MIT
#include "output/report_output.h"

namespace mezu {
namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr int kOneCopy = 1;

}  // namespace

std::vector<std::string> reportLines(const WindowLists& lists)
{
    std::vector<std::string> lines;
    lines.reserve(lists.List2.count() + lists.List1.count() + lists.List3.count());
    for (const LineList* part : {&lists.List2, &lists.List1, &lists.List3}) {
        lines.insert(lines.end(), part->lines().begin(), part->lines().end());
    }
    return lines;
}

std::string reportFileBytes(const WindowLists& lists, const TextEncoder& encoder)
{
    std::string bytes;
    for (const std::string& line : reportLines(lists)) {
        bytes += encoder.encode(line);
        bytes += kLineEnd;
    }
    return bytes;
}

bool saveReport(const WindowLists& lists, const std::string& path, const TextEncoder& encoder, ReportFileWriter& writer,
                std::string& error)
{
    return writer.replaceFile(path, reportFileBytes(lists, encoder), error);
}

bool printReport(const WindowLists& lists, Printer& printer)
{
    bool printed = printer.setCopies(kOneCopy);
    for (const std::string& line : reportLines(lists)) {
        if (!printed) {
            break;
        }
        printed = printer.printLine(line);
    }
    if (printed && printer.endDocument()) {
        return true;
    }
    printer.discardDocument();
    return false;
}

}  // namespace mezu
