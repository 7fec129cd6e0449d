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
    forEachReportLine(lists, [&lines](const std::string& line) { lines.push_back(line); });
    return lines;
}

std::string reportFileBytes(const WindowLists& lists, const TextEncoder& encoder)
{
    std::string bytes;
    forEachReportLine(lists, [&](const std::string& line) {
        bytes += encoder.encode(line);
        bytes += kLineEnd;
    });
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
    forEachReportLine(lists, [&](const std::string& line) {
        // After the first failure nothing more goes to the printer.
        printed = printed && printer.printLine(line);
    });
    if (printed && printer.endDocument()) {
        return true;
    }
    printer.discardDocument();
    return false;
}

}  // namespace mezu
