// SPDX-License-Identifier: MIT
#include "survey/file_report_survey.h"

#include <memory>

#include "report/file_lines.h"
#include "report/report_header.h"

namespace mezu {
namespace {

void appendHeader(WindowLists& lists, const mezucom& module, const LocalDateTime& when, std::string title)
{
    appendHeaderBlock(lists.List2, when, module.sizeMode(), module.linkCounting());
    lists.List2.add(lists.dlist.lineOrEmpty(0));
    lists.List2.add(lists.dlist.lineOrEmpty(1));
    lists.List2.add(std::string{kBlankReportLine});
    lists.List2.add(std::move(title));
    lists.List2.add(std::string{kSurveyRule});
}

void appendLargest(LineList& list, const std::vector<ListedFile>& files, const Clock& clock,
                   std::string_view decimalSeparator)
{
    list.reserve(files.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
        const ListedFile& file = files[i];
        const std::optional<LocalDateTime> modified =
            file.modified == kUnknownTime ? std::nullopt : clock.localTime(file.modified);
        list.add(formatLargestFileLine(file.counted, file.length, modified, file.path, decimalSeparator),
                 static_cast<std::uint32_t>(i));
    }
}

void appendKinds(LineList& list, const KindTable& table, std::string_view decimalSeparator)
{
    for (const KindRow& row : table.largest) {
        list.add(formatShareLine(row.bytes, table.bytes, row.files, kindCaption(row.kind), decimalSeparator));
    }
    if (table.rest.files != 0) {
        list.add(formatShareLine(table.rest.bytes, table.bytes, table.rest.files,
                                 restCaption(table.restKinds, table.untoldKinds), decimalSeparator));
    }
}

void appendAges(LineList& list, const std::vector<AgeRow>& rows, ByteTotal whole, std::string_view decimalSeparator)
{
    for (const AgeRow& row : rows) {
        list.add(formatShareLine(row.bytes, whole, row.files, ageCaption(row.band), decimalSeparator));
    }
}

}  // namespace

FileFindings fileReportSurvey(WindowLists& lists, mezucom& module, const Clock& clock, const LocalDateTime& when,
                              const std::string& directory, FileReport report, std::size_t count)
{
    lists.List1.clear();
    lists.List2.clear();
    lists.List3.clear();

    FileFindings findings;
    findings.report = report;
    findings.directory = directory;
    LargestFiles largest{report == FileReport::Largest ? count : 0};
    FileKinds kinds;
    FileAges ages{when};
    FileObserver* observer = &largest;
    switch (report) {
        case FileReport::Largest:
            appendHeader(lists, module, when, formatLargestFilesTitle(directory, count));
            break;
        case FileReport::Kinds:
            observer = &kinds;
            appendHeader(lists, module, when, formatKindsTitle(directory));
            break;
        case FileReport::Ages:
            observer = &ages;
            appendHeader(lists, module, when, formatAgesTitle(directory));
            break;
    }

    module.setFileObserver(observer);
    // The observer lives only in this call: the module lets go of it however the walk ends.
    const std::unique_ptr<mezucom, void (*)(mezucom*)> release{&module,
                                                               [](mezucom* m) { m->setFileObserver(nullptr); }};
    module.measure(directory);
    // The measurement's own line is the survey's, not this report's.
    lists.List1.clear();

    const std::string_view separator = module.decimalSeparator();
    switch (report) {
        case FileReport::Largest:
            findings.files = largest.largestFirst();
            findings.examined = largest.examined();
            findings.bytes = largest.examinedBytes();
            appendLargest(lists.List1, findings.files, clock, separator);
            break;
        case FileReport::Kinds:
            findings.kinds = kinds.table();
            findings.examined = findings.kinds.files;
            findings.bytes = findings.kinds.bytes;
            appendKinds(lists.List1, findings.kinds, separator);
            break;
        case FileReport::Ages:
            findings.ages = ages.rows();
            findings.examined = ages.files();
            findings.bytes = ages.bytes();
            appendAges(lists.List1, findings.ages, findings.bytes, separator);
            break;
    }

    if (module.stopRequested()) {
        findings.stopped = true;
        lists.List3.add(std::string{kStoppedReportNote});
        return findings;
    }
    lists.List3.add(std::string{kSurveyRule});
    lists.List3.add(formatExaminedFilesLine(findings.examined));
    return findings;
}

}  // namespace mezu
