// SPDX-License-Identifier: MIT
#include "survey/directory_survey.h"

#include "report/report_header.h"
#include "survey/sortcmd.h"

namespace mezu {

void directorySurvey(WindowLists& lists, mezucom& module, WindowSystem& windowSystem, const LocalDateTime& when,
                     const std::string& label1)
{
    lists.List1.clear();
    lists.List2.clear();
    lists.List3.clear();

    appendHeaderBlock(lists.List2, when, module.sizeMode(), module.linkCounting());
    lists.List2.add(lists.dlist.lineOrEmpty(0));
    lists.List2.add(lists.dlist.lineOrEmpty(1));
    lists.List2.add(std::string{kBlankReportLine});
    lists.List2.add(std::string{kSurveyRule});

    module.measure(std::string{label1}, mezucom::SubdirectoryLines::Shown);
    module.sublist(std::string{label1});
    const std::size_t subdirectories = lists.wkList2.count();
    for (std::size_t i = 0; i < subdirectories && !module.stopRequested(); ++i) {
        const std::string& subdirectory = lists.wkList2.line(i);
        // The walk of the whole tree has measured every subdirectory it entered.
        if (!module.measureFromLastWalk(subdirectory)) {
            module.measure(subdirectory);
        }
        windowSystem.yield();
    }

    sortLargestFirst(lists.List1);

    if (module.stopRequested()) {
        lists.List3.add(std::string{kStoppedReportNote});
        return;
    }
    lists.List3.add(std::string{kSurveyRule});
    lists.List3.add(formatCountLine(label1, lists.List1.count()));
}

}  // namespace mezu
