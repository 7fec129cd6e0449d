// SPDX-License-Identifier: MIT
#include "survey/saved_report.h"

#include <algorithm>
#include <optional>

#include "model/path_text.h"
#include "model/text_order.h"
#include "model/utf8_text.h"
#include "report/report_header.h"
#include "report/result_line.h"
#include "survey/all_drives_survey.h"

namespace mezu {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kTitle = "ディレクトリ容量調査ツール";
constexpr std::string_view kDateMark = "実施日時：";
constexpr std::string_view kCountMark = " 以下のディレクトリ数：";
constexpr std::string_view kComparisonMark = "比較：";
constexpr std::size_t kHeaderLines = 6;
constexpr std::size_t kTitleLine = 2;
constexpr std::size_t kDateLine = 4;
// A directory survey's header goes on with the two drive lines, a blank line and the rule.
constexpr std::size_t kSurveyHeaderLines = 10;
constexpr std::size_t kLongestShownLine = 200;
constexpr std::string_view kCutMark = "…";

// The lines of a text, each without its LF or CR LF; a last line that the text ends with no
// line end after is a line too.
std::vector<std::string_view> splitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        lines.push_back(line);
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return lines;
}

bool isBlank(std::string_view line)
{
    return line == kBlankReportLine || line.empty();
}

bool isRuleOf(std::string_view line, char mark)
{
    return !line.empty() && std::all_of(line.begin(), line.end(), [mark](char c) { return c == mark; });
}

// The drive lines may be missing (blank) where the drive did not answer.
bool isDriveLineOrBlank(std::string_view line)
{
    const bool spaceLine = line.size() > 9 && line[0] >= 'A' && line[0] <= 'Z' && line.substr(1, 8) == " drive: ";
    return spaceLine || line.starts_with("   Sector = ") || isBlank(line);
}

std::string lineError(std::size_t index, std::string_view why)
{
    return "line " + std::to_string(index + 1) + ": " + std::string{why};
}

std::string lineError(std::size_t index, std::string_view why, std::string_view line)
{
    return lineError(index, std::string{why} + ": " + shownFileLine(line));
}

// Reads the result lines from `at` up to the first line that is none, which it leaves `at` on.
// An error names the first line that looks like one and is not.
std::string readResultLines(const std::vector<std::string_view>& lines, std::size_t& at,
                            std::vector<ReportedDirectory>& directories)
{
    for (; at < lines.size(); ++at) {
        const std::string_view line = lines[at];
        if (isRuleOf(line, '+') || isRuleOf(line, '-')) {
            return {};
        }
        const std::optional<ResultLineFields> fields = parseResultLine(line);
        if (!fields) {
            return lineError(at, "not a result line", line);
        }
        const std::optional<ByteTotal> bytes = byteFigure(fields->bytes);
        if (!bytes) {
            return lineError(at, "a byte figure larger than any survey can hold (2^128 - 1)", line);
        }
        directories.push_back({fields->path, *bytes});
    }
    return {};
}

// After the last line of a report only empty lines may follow.
std::string checkNothingAfter(const std::vector<std::string_view>& lines, std::size_t at)
{
    for (; at < lines.size(); ++at) {
        if (!lines[at].empty()) {
            return lineError(at, "more text after the end of the report", lines[at]);
        }
    }
    return {};
}

std::string readDirectorySurvey(const std::vector<std::string_view>& lines, SavedSurvey& survey)
{
    for (std::size_t at = kHeaderLines; at < kSurveyHeaderLines; ++at) {
        if (at >= lines.size()) {
            return lineError(at, "the report ends inside its header");
        }
        const bool expected = at < kHeaderLines + 2    ? isDriveLineOrBlank(lines[at])
                              : at == kHeaderLines + 2 ? isBlank(lines[at])
                                                       : lines[at] == kSurveyRule;
        if (!expected) {
            return lineError(at, "not the line a survey report's header has here", lines[at]);
        }
    }
    std::size_t at = kSurveyHeaderLines;
    if (std::string error = readResultLines(lines, at, survey.directories); !error.empty()) {
        return error;
    }
    if (at >= lines.size()) {
        return lineError(at, "the report ends without its footer (the rule and the count line)");
    }
    if (lines[at] != kSurveyRule) {
        return lineError(at, "not the rule that begins the footer", lines[at]);
    }
    if (survey.directories.empty()) {
        return lineError(at, "the report has no line for the surveyed directory");
    }
    const std::size_t countLine = at + 1;
    if (countLine >= lines.size()) {
        return lineError(countLine, "the report ends without its count line");
    }
    // The surveyed path comes first and may itself hold the mark: the count follows the last.
    const std::string_view line = lines[countLine];
    const std::size_t mark = line.rfind(kCountMark);
    const std::string_view count =
        mark == std::string_view::npos ? std::string_view{} : line.substr(mark + kCountMark.size());
    const std::string expected = formatCountLine("", survey.directories.size()).substr(kCountMark.size());
    if (mark == std::string_view::npos || count.size() < 2 || count.front() != ' ' ||
        count.find_first_not_of("0123456789", 1) != std::string_view::npos) {
        return lineError(countLine, "not the count line", line);
    }
    if (count != expected) {
        return lineError(countLine,
                         "the count line gives" + std::string{count} + " subdirectories, the report lists" + expected);
    }
    return checkNothingAfter(lines, countLine + 1);
}

std::string readAllDrivesSurvey(const std::vector<std::string_view>& lines, SavedSurvey& survey)
{
    // Each drive's section is its result lines and the rule that closes it; the report has no
    // footer, so the end of the last section is as much as can be checked.
    std::size_t at = kHeaderLines + 1;
    while (at < lines.size() && !lines[at].empty()) {
        if (std::string error = readResultLines(lines, at, survey.directories); !error.empty()) {
            return error;
        }
        if (at >= lines.size()) {
            return lineError(at, "the report ends inside a drive's section, before the rule that closes it");
        }
        if (lines[at] != kSectionRule) {
            return lineError(at, "not the rule that closes a drive's section", lines[at]);
        }
        ++at;
    }
    return checkNothingAfter(lines, at);
}

// A line as far as it reads as UTF-8, then U+FFFD where it stops.
std::string readablePrefix(std::string_view line)
{
    std::size_t valid = 0;
    for (std::size_t length = 0; valid < line.size() && (length = validSequenceLength(line.substr(valid))) != 0;) {
        valid += length;
    }
    return std::string{line.substr(0, valid)} + std::string{kReplacementCharacter};
}

// The same in the code page; only the beginning that an error message can show is tried.
std::string readablePrefix(std::string_view line, const TextEncoder& codePage)
{
    constexpr std::size_t kMostBytesShown = 3 * kLongestShownLine;
    for (std::size_t length = std::min(line.size(), kMostBytesShown); length > 0; --length) {
        if (std::optional<std::string> text = codePage.decode(line.substr(0, length))) {
            return *text + std::string{kReplacementCharacter};
        }
    }
    return std::string{kReplacementCharacter};
}

}  // namespace

std::string shownFileLine(std::string_view line)
{
    std::string shown = displayPath(line);
    if (utf16Length(shown) <= kLongestShownLine) {
        return shown;
    }
    std::size_t cut = 0;
    for (std::size_t characters = 0; characters < kLongestShownLine && cut < shown.size(); ++characters) {
        cut += std::max<std::size_t>(1, validSequenceLength(std::string_view{shown}.substr(cut)));
    }
    shown.resize(cut);
    return shown + std::string{kCutMark};
}

DecodedReport decodeReportFile(std::string_view bytes, const TextEncoder& codePage)
{
    const bool markedUtf8 = bytes.starts_with(kByteOrderMark);
    if (markedUtf8) {
        bytes.remove_prefix(kByteOrderMark.size());
    }
    if (isValidUtf8(bytes)) {
        return {std::string{bytes}, ReportEncoding::Utf8, {}};
    }
    if (!markedUtf8) {
        if (std::optional<std::string> text = codePage.decode(bytes)) {
            return {std::move(*text), ReportEncoding::ShiftJis, {}};
        }
    }
    // Valid in neither: the encoding that reads further is taken to be the file's, and its first
    // line that does not read is named, as far as it reads.
    const std::vector<std::string_view> lines = splitLines(bytes);
    const auto firstBad = [&lines](auto valid) {
        return static_cast<std::size_t>(std::find_if_not(lines.begin(), lines.end(), valid) - lines.begin());
    };
    const std::size_t badUtf8 = firstBad([](std::string_view line) { return isValidUtf8(line); });
    const std::size_t badShiftJis =
        markedUtf8 ? 0 : firstBad([&codePage](std::string_view line) { return codePage.decode(line).has_value(); });
    const std::string readUtf8 = badUtf8 < lines.size() ? readablePrefix(lines[badUtf8]) : std::string{};
    const std::string readShiftJis =
        badShiftJis < lines.size() ? readablePrefix(lines[badShiftJis], codePage) : std::string{};
    const bool shiftJis = badShiftJis > badUtf8 || (badShiftJis == badUtf8 && readShiftJis.size() > readUtf8.size());
    DecodedReport report;
    report.encoding = shiftJis ? ReportEncoding::ShiftJis : ReportEncoding::Utf8;
    report.error = shiftJis ? lineError(badShiftJis, "bytes that are not Shift_JIS text (nor UTF-8)", readShiftJis)
                            : lineError(badUtf8, "bytes that are not UTF-8 text (nor Shift_JIS)", readUtf8);
    return report;
}

SavedSurvey readSavedSurvey(std::string_view text)
{
    SavedSurvey survey;
    const std::vector<std::string_view> lines = splitLines(text);
    for (std::size_t at = 0; at < kHeaderLines; ++at) {
        if (at >= lines.size()) {
            survey.error = lineError(at, "the report ends inside its header");
            return survey;
        }
        const std::string_view line = lines[at];
        const bool expected = at == kTitleLine  ? line.starts_with(kTitle)
                              : at == kDateLine ? line.starts_with(kDateMark)
                                                : isBlank(line);
        if (!expected) {
            survey.error = lineError(at, "not the line a report's header has here", line);
            return survey;
        }
    }
    survey.date = std::string{lines[kDateLine].substr(kDateMark.size())};
    const std::string_view kind = lines.size() > kHeaderLines ? lines[kHeaderLines] : std::string_view{};
    if (kind == kSectionRule) {
        survey.error = readAllDrivesSurvey(lines, survey);
    } else if (isRuleOf(kind, '-')) {
        survey.error = lineError(kHeaderLines, "a drive information report, which lists no directories");
    } else if (kind.starts_with(kComparisonMark)) {
        survey.error = lineError(kHeaderLines, "a comparison, not a survey", kind);
    } else {
        survey.error = readDirectorySurvey(lines, survey);
    }
    if (!survey.error.empty()) {
        survey.directories.clear();
    }
    return survey;
}

}  // namespace mezu
