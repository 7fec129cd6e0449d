// SPDX-License-Identifier: MIT
#include "survey/all_drives_survey.h"

#include "model/drive_letters.h"
#include "report/report_header.h"
#include "survey/sortcmd.h"

namespace mezu {

void allDrivesSurvey(WindowLists& lists, mezucom& module, WindowSystem& windowSystem, const LocalDateTime& when)
{
    constexpr int kAnswered = 0;

    lists.List1.clear();
    lists.List2.clear();
    lists.List3.clear();
    lists.List4.clear();
    appendHeaderBlock(lists.List2, when, module.sizeMode(), module.linkCounting());
    lists.List2.add(std::string{kSectionRule});

    for (const std::string& root : surveyedDriveRoots()) {
        if (module.stopRequested()) {
            break;
        }
        if (module.drvinfo(root) != kAnswered) {
            continue;
        }
        lists.List1.clear();
        module.sublist(root);
        const std::size_t directories = lists.wkList2.count();
        for (std::size_t i = 0; i < directories && !module.stopRequested(); ++i) {
            const std::string directory = lists.wkList2.line(i);
            module.measure(directory);
            windowSystem.yield();
        }
        sortLargestFirst(lists.List1);
        // A section the user stopped is unfinished: it gets no closing rule.
        if (!module.stopRequested()) {
            lists.List1.add(std::string{kSectionRule});
        }
        for (std::size_t i = 0; i < lists.List1.count(); ++i) {
            lists.List4.add(lists.List1.line(i), lists.List1.tag(i));
        }
    }

    lists.List1.clear();
    for (std::size_t i = 0; i < lists.List4.count(); ++i) {
        lists.List1.add(lists.List4.line(i), lists.List4.tag(i));
    }
    if (module.stopRequested()) {
        lists.List3.add(std::string{kStoppedReportNote});
    }
}

}  // namespace mezu
