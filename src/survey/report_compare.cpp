// SPDX-License-Identifier: MIT
#include "survey/report_compare.h"

#include <algorithm>
#include <map>
#include <optional>

#include "model/number_text.h"
#include "model/path_text.h"
#include "model/text_order.h"
#include "report/report_header.h"
#include "report/result_line.h"

namespace mezu {
namespace {

constexpr std::string_view kDateMark = "実施日時：";
constexpr std::size_t kDateLine = 4;
constexpr std::string_view kNone = "なし";
// The change field of the caption is as wide as "+0002.86MB".
constexpr std::string_view kChangeCaption = "増減      ";

// A signed difference of two totals, which may each use all 128 bits.
struct Change {
    bool negative = false;
    ByteTotal magnitude = 0;

    static Change between(ByteTotal before, ByteTotal after)
    {
        return after >= before ? Change{false, after - before} : Change{true, before - after};
    }
    bool operator>(const Change& other) const
    {
        if (negative != other.negative) {
            return !negative;
        }
        return negative ? magnitude < other.magnitude : magnitude > other.magnitude;
    }
    bool operator==(const Change&) const = default;
    // The sign position: "+" for growth, "-" for shrinking, a space for none.
    char sign() const { return magnitude == 0 ? ' ' : negative ? '-' : '+'; }
};

struct Row {
    std::string path;
    std::optional<ByteTotal> before;
    std::optional<ByteTotal> after;
    Change change;
};

// "2026/12/07 06:40:19" from a date line's "2026年12月07日(月)－06時40分19秒"; the text as it
// stands when it has not that form.
std::string shortDate(std::string_view date)
{
    std::vector<std::string> numbers;
    for (std::size_t at = 0; at < date.size();) {
        const std::size_t start = date.find_first_of("0123456789", at);
        if (start == std::string_view::npos) {
            break;
        }
        const std::size_t end = std::min(date.find_first_not_of("0123456789", start), date.size());
        numbers.emplace_back(date.substr(start, end - start));
        at = end;
    }
    constexpr std::size_t kDateNumbers = 6;
    if (numbers.size() != kDateNumbers) {
        return displayPath(date);
    }
    return numbers[0] + "/" + numbers[1] + "/" + numbers[2] + " " + numbers[3] + ":" + numbers[4] + ":" + numbers[5];
}

std::string sizeText(const std::optional<ByteTotal>& bytes, std::string_view decimalSeparator)
{
    return bytes ? formatMegabytes(*bytes, decimalSeparator) : std::string{kNone};
}

std::string rowLine(const Row& row, std::string_view decimalSeparator)
{
    return row.change.sign() + formatMegabytes(row.change.magnitude, decimalSeparator) + " - " + displayPath(row.path) +
           " (" + sizeText(row.before, decimalSeparator) + " → " + sizeText(row.after, decimalSeparator) + ") (" +
           (row.change.magnitude == 0 ? std::string{"0"} : row.change.sign() + decimalText(row.change.magnitude)) +
           " B)";
}

}  // namespace

ComparedSurvey surveyAsSaved(const LineList& header, const LineList& results,
                             const std::vector<TreeMeasurement>& measurements, ReportEncoding encoding,
                             const TextEncoder& codePage)
{
    ComparedSurvey survey;
    const std::string dateLine = header.lineOrEmpty(kDateLine);
    if (dateLine.starts_with(kDateMark)) {
        survey.date = dateLine.substr(kDateMark.size());
    }
    for (std::size_t i = 0; i < results.count(); ++i) {
        const std::uint32_t tag = results.tag(i);
        if (tag >= measurements.size()) {
            continue;
        }
        // The line as the saved report holds it, read back as a comparison reads a saved one.
        std::string line = results.line(i);
        if (encoding == ReportEncoding::ShiftJis) {
            line = codePage.decode(codePage.encode(line)).value_or(line);
        }
        if (const std::optional<ResultLineFields> fields = parseResultLine(line)) {
            survey.directories.push_back({fields->path, measurements[tag].bytes});
        }
    }
    return survey;
}

void narrowToShiftJis(ComparedSurvey& survey, const TextEncoder& codePage)
{
    for (ReportedDirectory& directory : survey.directories) {
        directory.path = codePage.decode(codePage.encode(directory.path)).value_or(directory.path);
    }
}

std::vector<std::string> fillComparison(WindowLists& lists, const ComparedSurvey& earlier, const ComparedSurvey& later,
                                        std::string_view earlierName, const LocalDateTime& when,
                                        std::string_view decimalSeparator)
{
    // Every path with its figures in each survey, in the surveys' order; the k-th directory of a
    // path in one is paired with its k-th in the other.
    struct Figures {
        std::vector<ByteTotal> before;
        std::vector<ByteTotal> after;
    };
    std::map<std::string, Figures> byPath;
    for (const ReportedDirectory& directory : earlier.directories) {
        byPath[directory.path].before.push_back(directory.bytes);
    }
    for (const ReportedDirectory& directory : later.directories) {
        byPath[directory.path].after.push_back(directory.bytes);
    }
    std::vector<Row> rows;
    std::vector<std::string> ambiguous;
    for (const auto& [path, figures] : byPath) {
        const std::size_t pairs = std::max(figures.before.size(), figures.after.size());
        if (figures.before.size() > 1 || figures.after.size() > 1) {
            ambiguous.push_back(path);
        }
        for (std::size_t k = 0; k < pairs; ++k) {
            Row row{path, {}, {}, {}};
            if (k < figures.before.size()) {
                row.before = figures.before[k];
            }
            if (k < figures.after.size()) {
                row.after = figures.after[k];
            }
            row.change = Change::between(row.before.value_or(0), row.after.value_or(0));
            rows.push_back(std::move(row));
        }
    }
    std::stable_sort(rows.begin(), rows.end(), [](const Row& a, const Row& b) {
        if (!(a.change == b.change)) {
            return a.change > b.change;
        }
        return compareUtf16(a.path, b.path) < 0;
    });

    lists.List1.clear();
    lists.List2.clear();
    lists.List3.clear();
    appendHeaderBlock(lists.List2, when);
    lists.List2.add("比較：" + displayPath(earlierName) + " と今回");
    lists.List2.add(std::string{kBlankReportLine});
    lists.List2.add(std::string{kSurveyRule});
    // The caption heads the lines themselves, where the window shows it.
    lists.List1.add("前回 " + shortDate(earlier.date) + " → 今回 " + shortDate(later.date));
    lists.List1.add(std::string{kChangeCaption} + " - ディレクトリ (前回 → 今回) (増減 B)");
    for (const Row& row : rows) {
        lists.List1.add(rowLine(row, decimalSeparator));
    }
    lists.List3.add(std::string{kSurveyRule});
    lists.List3.add("比較したディレクトリ数：" + withSignPosition(static_cast<std::uint64_t>(rows.size())));
    for (const std::string& path : ambiguous) {
        lists.List3.add("注：複数のディレクトリが同じ名前で示されています：" + displayPath(path));
    }
    return ambiguous;
}

}  // namespace mezu
