// SPDX-License-Identifier: MIT
// A window command that runs out of memory costs that command only.
#include "ui/out_of_memory.h"

#include <gtest/gtest.h>

#include <new>

#include "fake_file_system.h"
#include "fakes.h"
#include "output/report_output.h"

namespace mezu {
namespace {

class OutOfMemoryTest : public ::testing::Test {
protected:
    OutOfMemoryTest()
    {
        drives.set('C', test::driveWithCluster(4096));
        drives.set('D', test::driveWithCluster(32768));
        fs.addFile("C:\\WORK\\BIG\\f", 100000);
        fs.addFile("C:\\WORK\\SMALL\\f", 1);
        fs.addFile("D:\\DOCS\\f", 1);
        window.Form_Load();
    }

    bool run(ReportEffect effect, void (mezumain::*command)())
    {
        return runWithinMemory(window, windowSystem, effect, [this, command] { (window.*command)(); });
    }

    test::FakeFileSystem fs{{'C', 'D', 'E'}};
    test::FakeDriveQuery drives;
    test::RecordingWindowSystem windowSystem;
    test::FixedClock clock;
    test::ScriptedSaveDialog saveDialog;
    test::PassThroughEncoder encoder;
    test::MemoryFileWriter writer;
    mezumain window{{fs, drives, windowSystem, clock, ".", &saveDialog, &encoder, &writer}};
};

TEST_F(OutOfMemoryTest, TheReportBeforeStaysTheBoxIsShownAndTheNextSurveyIsRight)
{
    ASSERT_TRUE(run(ReportEffect::Replaces, &mezumain::Command1_Click));
    const std::vector<std::string> before = reportLines(window.lists());
    ASSERT_EQ(before.size(), 14u);
    const std::optional<std::string> firstDirectory = window.listedDirectory(0);
    struct Case {
        const char* name;
        ReportEffect effect;
        void (mezumain::*command)();
        std::function<void()> exhaust;
    };
    const std::vector<Case> cases{
        {"a survey, part-way", ReportEffect::Replaces, &mezumain::Command1_Click,
         [&] { windowSystem.onYield = [] { throw std::bad_alloc{}; }; }},
        // D: was queried with its 32 KiB clusters just before: a survey must not round with them.
        {"the drive report, at E:", ReportEffect::Replaces, &mezumain::Command3_Click,
         [&] { drives.outOfMemoryAt = 'E'; }},
        {"the all-drives survey, at E:", ReportEffect::Replaces, &mezumain::Command2_Click,
         [&] { drives.outOfMemoryAt = 'E'; }},
        {"a save", ReportEffect::Reads, &mezumain::Command5_Click,
         [&] {
             saveDialog.answers.push_back("C:\\WORK\\MEZU.TXT");
             writer.outOfMemory = true;
         }},
    };
    for (const Case& c : cases) {
        windowSystem.messages.clear();
        c.exhaust();
        EXPECT_FALSE(run(c.effect, c.command)) << c.name;
        windowSystem.onYield = nullptr;
        drives.outOfMemoryAt = '\0';
        writer.outOfMemory = false;
        EXPECT_EQ(reportLines(window.lists()), before) << c.name;
        EXPECT_EQ(window.lastReport(), mezumain::Report::DirectorySurvey) << c.name;
        EXPECT_EQ(window.listedDirectory(0), firstDirectory)
            << c.name << ": the lines still stand for their directories";
        EXPECT_EQ(windowSystem.messages, std::vector<std::string>{"メモリが足りません"}) << c.name;
        EXPECT_EQ(windowSystem.pointers.back(), MousePointer::Default) << c.name;
        EXPECT_FALSE(window.commandRunning()) << c.name;
        EXPECT_EQ(window.lists().dlist.lineOrEmpty(0), "C drive: Total = 255 MB, Free = 125 MB") << c.name;

        EXPECT_TRUE(run(ReportEffect::Replaces, &mezumain::Command1_Click)) << c.name;
        EXPECT_EQ(reportLines(window.lists()), before) << c.name << ": the same survey again, with C:'s clusters";
    }
}

}  // namespace
}  // namespace mezu
