#include "survey/report_compare.h"

#include <algorithm>
#include <map>

#include "survey/report_header.h"

namespace mezu {
namespace {

// A report's byte figures may exceed 64 bits.
__extension__ typedef __int128 Bytes;
__extension__ typedef unsigned __int128 Magnitude;

constexpr std::string_view kCountLineMark = " 以下のディレクトリ数：";
constexpr std::string_view kTitle = "ディレクトリ容量調査ツール";
constexpr std::size_t kHeaderLines = 6;
constexpr std::size_t kTitleLine = 2;
constexpr std::size_t kDateLine = 4;
constexpr std::string_view kDateMark = "実施日時：";
constexpr char kSectionRuleCharacter = '-';
constexpr std::size_t kFigureWidth = 20;

Bytes toBytes(std::string_view digits)
{
    Bytes value = 0;
    for (char digit : digits) {
        value = value * 10 + (digit - '0');
    }
    return value;
}

std::string digitsOf(Magnitude value)
{
    std::string digits;
    do {
        digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(value % 10)));
        value /= 10;
    } while (value != 0);
    return digits;
}

std::string figureText(Bytes value)
{
    return digitsOf(static_cast<Magnitude>(value));
}

// A change with its sign: "+4096", "-4096", "0".
std::string changeText(Bytes value)
{
    if (value < 0) {
        return "-" + digitsOf(static_cast<Magnitude>(-(value + 1)) + 1);
    }
    return (value > 0 ? "+" : "") + digitsOf(static_cast<Magnitude>(value));
}

bool isRule(std::string_view line)
{
    return !line.empty() && (std::all_of(line.begin(), line.end(), [](char c) { return c == '+'; }) ||
                             std::all_of(line.begin(), line.end(), [](char c) { return c == kSectionRuleCharacter; }));
}

bool isDriveLine(std::string_view line)
{
    const bool spaceLine = line.size() > 9 && line[0] >= 'A' && line[0] <= 'Z' && line.substr(1, 8) == " drive: ";
    return spaceLine || line.starts_with("   Sector = ");
}

// Whether the header's line `index` reads as a report header does.
bool isHeaderLine(std::size_t index, std::string_view line)
{
    switch (index) {
    case kTitleLine:
        return line.starts_with(kTitle);
    case kDateLine:
        return line.starts_with(kDateMark);
    default:
        return line == kBlankReportLine || line.empty();
    }
}

// Columns on a fixed-pitch Japanese font: a character of three or more UTF-8 bytes (kana,
// kanji) takes two columns, any other one.
std::size_t columnsOf(std::string_view text)
{
    std::size_t columns = 0;
    for (unsigned char byte : text) {
        if ((byte & 0xC0) != 0x80) {
            columns += byte >= 0xE0 ? 2 : 1;
        }
    }
    return columns;
}

std::string padded(std::string text)
{
    const std::size_t columns = columnsOf(text);
    if (columns < kFigureWidth) {
        text.insert(0, kFigureWidth - columns, ' ');
    }
    return text;
}

}  // namespace

SurveyedDirectories readSurveyReport(std::string_view text)
{
    SurveyedDirectories report;
    std::size_t number = 0;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        end = end == std::string_view::npos ? text.size() : end;
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        const std::size_t index = number++;
        if (index < kHeaderLines ? isHeaderLine(index, line)
                                 : line == kBlankReportLine || line.empty() || isRule(line) || isDriveLine(line) ||
                                       line.find(kCountLineMark) != std::string_view::npos) {
            continue;
        }
        std::optional<ResultLineFields> fields = index < kHeaderLines ? std::nullopt : parseResultLine(line);
        if (!fields) {
            report.directories.clear();
            report.error = "line " + std::to_string(index + 1) + ": " + std::string{line};
            return report;
        }
        report.directories.push_back(std::move(*fields));
    }
    if (number < kHeaderLines) {
        report.error = "line " + std::to_string(number + 1) + ": the report's header ends early";
    }
    return report;
}

SurveyedDirectories surveyedDirectories(const LineList& results)
{
    SurveyedDirectories report;
    for (const std::string& line : results.lines()) {
        if (std::optional<ResultLineFields> fields = parseResultLine(line)) {
            report.directories.push_back(std::move(*fields));
        }
    }
    return report;
}

void fillComparison(WindowLists& lists, const std::vector<ResultLineFields>& earlier,
                    const std::vector<ResultLineFields>& later, std::string_view earlierName,
                    const LocalDateTime& when)
{
    struct Figures {
        std::optional<Bytes> before;
        std::optional<Bytes> after;
    };
    std::map<std::string, Figures> byPath;
    for (const ResultLineFields& directory : earlier) {
        Figures& figures = byPath[directory.path];
        figures.before = figures.before.value_or(toBytes(directory.bytes));
    }
    for (const ResultLineFields& directory : later) {
        Figures& figures = byPath[directory.path];
        figures.after = figures.after.value_or(toBytes(directory.bytes));
    }
    std::vector<std::pair<Bytes, const std::pair<const std::string, Figures>*>> rows;
    for (const auto& entry : byPath) {
        rows.emplace_back(entry.second.after.value_or(0) - entry.second.before.value_or(0), &entry);
    }
    std::stable_sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) { return a.first > b.first; });

    lists.List1.clear();
    lists.List2.clear();
    lists.List3.clear();
    appendHeaderBlock(lists.List2, when);
    lists.List2.add("比較：" + std::string{earlierName} + " と今回");
    lists.List2.add(std::string{kBlankReportLine});
    lists.List2.add(padded("前回 (B)") + " " + padded("今回 (B)") + " " + padded("増減 (B)") + "  ディレクトリ");
    lists.List2.add(std::string{kSurveyRule});
    for (const auto& [growth, entry] : rows) {
        const Figures& figures = entry->second;
        const std::string change = !figures.before ? "new" : !figures.after ? "gone" : changeText(growth);
        lists.List1.add(padded(figures.before ? figureText(*figures.before) : "-") + " " +
                        padded(figures.after ? figureText(*figures.after) : "-") + " " + padded(change) + "  " +
                        entry->first);
    }
    lists.List3.add(std::string{kSurveyRule});
}

}  // namespace mezu
