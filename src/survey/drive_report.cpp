// SPDX-License-Identifier: MIT
#include "survey/drive_report.h"

#include "model/drive_letters.h"
#include "report/report_header.h"

namespace mezu {

void driveInformationReport(WindowLists& lists, mezucom& module, const LocalDateTime& when)
{
    constexpr int kAnswered = 0;

    lists.List1.clear();
    lists.List2.clear();
    lists.List3.clear();
    appendHeaderBlock(lists.List2, when);
    lists.List1.add(std::string{kDriveRule});
    for (const std::string& root : surveyedDriveRoots()) {
        if (module.drvinfo(root) != kAnswered) {
            continue;
        }
        lists.List1.add(lists.dlist.line(0));
        lists.List1.add(lists.dlist.line(1));
        lists.List1.add(std::string{kDriveRule});
    }
}

}  // namespace mezu
