// SPDX-License-Identifier: MIT
// mezu-report run in-process on fake backends, its output captured.
#include "app/report_cli.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sstream>

#include "report/result_line.h"
#include "fake_file_system.h"
#include "fakes.h"
#include "report/report_header.h"

namespace mezu {
namespace {

using Lines = std::vector<std::string>;

Lines splitLines(const std::string& text)
{
    Lines lines;
    std::istringstream in{text};
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

class ReportCliTest : public ::testing::Test {
protected:
    struct Run {
        int status;
        std::string out;
        std::string err;
    };

    Run run(const Lines& args, std::ostream* outOverride = nullptr, bool progress = false)
    {
        std::ostringstream out;
        std::ostringstream err;
        const ReportEnvironment environment{
            [this](const PlatformOptions& options) -> std::variant<ReportPlatform, std::string> {
                requestedDrives = options.drives;
                requestedThreads = options.readerThreads;
                auto fs = std::make_unique<test::FakeFileSystem>(std::vector<char>{'C'});
                fs->addFile("C:\\DATA\\one", 1);
                fs->addFile("C:\\DATA\\cluster", 4096);
                fs->addFile("C:\\DATA\\OLD\\ten", 10000);
                fs->addFile("C:\\file", 1);
                if (linkedTree) {
                    // One file of 5000 bytes under two names, in two directories.
                    for (const char* name : {"C:\\LINKED\\a\\x.dat", "C:\\LINKED\\b\\y.dat"}) {
                        test::FakeFileSystem::Node& node = fs->addFile(name, 5000);
                        node.links = 2;
                        node.fileId = 7;
                    }
                }
                if (lockedTree) {
                    fs->addFile("C:\\LOCKED\\open\\f", 1);
                    fs->addDirectory("C:\\LOCKED\\root").cannotOpen = true;
                    fs->addDirectory("C:\\LOCKED\\open\\x").enumerationFails = true;
                }
                auto query = std::make_unique<test::FakeDriveQuery>();
                query->set('C', test::driveWithCluster(4096));
                auto writer = std::make_unique<test::MemoryFileWriter>(savedFiles);
                writer->failing = failWrites;
                return ReportPlatform{std::move(fs),
                                      std::move(query),
                                      std::make_unique<test::FixedClock>(),
                                      std::make_unique<test::PassThroughEncoder>(),
                                      std::move(writer),
                                      std::make_unique<test::MemoryFileReader>(savedFiles)};
            },
            outOverride != nullptr ? *outOverride : out, err, progress};
        const int status = runMezuReport(args, environment);
        return {status, out.str(), err.str()};
    }

    std::vector<DriveOption> requestedDrives;
    unsigned requestedThreads = 0;
    bool failWrites = false;
    bool lockedTree = false;  // C:\LOCKED with two directories that cannot be read
    bool linkedTree = false;  // C:\LINKED with a file of two names
    std::shared_ptr<test::MemoryFileWriter::Files> savedFiles = std::make_shared<test::MemoryFileWriter::Files>();
};

TEST_F(ReportCliTest, SurveyPrintsTheWholeReport)
{
    const Run result = run({"--drive", "C=/somewhere", "survey", "C:\\DATA"});
    EXPECT_EQ(result.status, kExitSuccess);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(
        splitLines(result.out),
        (Lines{" ", " ", "ディレクトリ容量調査ツール　Ver 1.10", " ", "実施日時：1998年10月23日(金)－14時05分09秒", " ",
               "C drive: Total = 255 MB, Free = 125 MB", "   Sector =  512 , Claster =  8 , Block =  4096 B", " ",
               std::string(41, '+'), "0000.02MB - C:\\DATA               = (20.0KB) (20480 B)",
               "0000.01MB - C:\\DATA\\OLD           = (12.0KB) (12288 B)", std::string(41, '+'),
               "C:\\DATA 以下のディレクトリ数： 1"}));
    ASSERT_EQ(requestedDrives.size(), 1u);
    EXPECT_EQ(requestedDrives[0].letter, 'C');
    EXPECT_EQ(requestedDrives[0].root, "/somewhere");
}

TEST_F(ReportCliTest, DirectoriesThatCannotBeReadAreNamedAndFailTheRun)
{
    lockedTree = true;
    const Run result = run({"survey", "C:\\LOCKED"});
    EXPECT_EQ(result.status, kExitFailure);
    EXPECT_EQ(result.err,
              "mezu-report: C:\\LOCKED\\open\\x: Permission denied\n"
              "mezu-report: C:\\LOCKED\\root: Permission denied\n");
    const Lines lines = splitLines(result.out);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "0000.00MB - C:\\LOCKED\\root        = (0.0KB) (0 B)"), lines.end())
        << result.out;
    ASSERT_FALSE(lines.empty()) << result.out;
    EXPECT_EQ(lines.back(), "C:\\LOCKED 以下のディレクトリ数： 2") << "the report is printed whole";
    EXPECT_EQ(run({"survey", "C:\\DATA"}).status, kExitSuccess);
}

TEST_F(ReportCliTest, BadDirectoriesFailWithOneLine)
{
    const Run missing = run({"survey", "C:\\NOPE"});
    EXPECT_EQ(missing.status, kExitFailure);
    EXPECT_EQ(missing.err, "mezu-report: C:\\NOPE: No such file or directory\n");
    EXPECT_EQ(missing.out, "");
    const Run file = run({"survey", "C:\\file"});
    EXPECT_EQ(file.status, kExitFailure);
    EXPECT_EQ(file.err, "mezu-report: C:\\file: Not a directory\n");
}

TEST_F(ReportCliTest, UsageErrorsExitTwo)
{
    const Lines cases[] = {
        {},
        {"--bogus", "survey"},
        {"list"},
        {"survey", "a", "b"},
        {"--drive"},
        {"--drive", "A=/x", "survey"},
        {"--drive", "C", "survey"},
        {"--threads", "0", "survey"},
        {"--threads=x", "survey"},
        {"--threads"},
        {"--size"},
        {"--size", "blocks", "survey"},
        {"--size=", "survey"},
        {"--sizes=allocated", "survey"},
        {"--format"},
        {"--format", "xml", "survey"},
        {"--format=csv", "compare", "old.txt", "new.txt"},
        {"-o"},
        {"survey", "--output="},
        {"drives", "C:\\DATA"},
        {"all-drives", "x"},
        {"--drive", "C=/a", "--drive=c=/b", "survey"},
        {"-o", "a", "--output=b", "survey"},
        {"compare"},
        {"compare", "old.txt"},
        {"compare", "old.txt", "new.txt", "C:\\DATA"},
        {"compare", "old.txt", "survey", "C:\\DATA", "x"},
        {"largest", "-n", "0"},
        {"largest", "-n", "1000001"},
        {"largest", "-n", "99999999999999999999"},
        {"largest", "-n", "-3"},
        {"largest", "--count=x"},
        {"largest", "-n"},
        {"-n", "5", "survey"},
        {"kinds", "-n", "5"},
        {"--hard-links", "twice", "survey"},
        {"--hard-links=", "largest"},
        {"--hard-links"},
        {"largest", "a", "b"},
        {"kinds", "a", "b"},
        {"ages", "a", "b"},
    };
    for (const Lines& args : cases) {
        const Run result = run(args);
        EXPECT_EQ(result.status, kExitUsage) << ::testing::PrintToString(args);
        EXPECT_EQ(result.out, "");
        EXPECT_NE(result.err.find("Try 'mezu-report --help'"), std::string::npos);
    }
    EXPECT_NE(run({"drives", "x"}).err.find("drives takes no directory"), std::string::npos);
    EXPECT_NE(run({"largest", "-n", "0"}).err.find("-n takes a number of files from 1 to 1000000, not '0'"),
              std::string::npos);
    EXPECT_NE(run({"ages", "-n", "3"}).err.find("-n is for largest only, not ages"), std::string::npos);
    EXPECT_NE(run({"--hard-links", "all", "ages"}).err.find("--hard-links takes every or once, not 'all'"),
              std::string::npos);
}

TEST_F(ReportCliTest, TheReportsOfFilesAreTheWindowsWithTheModesInTheTitle)
{
    linkedTree = true;
    constexpr std::size_t kTitle = 2;
    const std::string plain = "ディレクトリ容量調査ツール　Ver 1.10";
    const struct {
        Lines options;
        std::string title;
        std::string examined;  // the footer of a report of files
    } modes[] = {
        {{}, plain, "調べたファイル数： 2"},
        {{"--hard-links", "every"}, plain, "調べたファイル数： 2"},
        {{"--size=allocated"}, plain + std::string{kAllocatedTitleNote}, "調べたファイル数： 2"},
        {{"--hard-links=once"}, plain + std::string{kLinksOnceTitleNote}, "調べたファイル数： 1"},
        {{"--hard-links", "once", "--size", "allocated"},
         plain + std::string{kAllocatedTitleNote} + std::string{kLinksOnceTitleNote},
         "調べたファイル数： 1"},
    };
    for (const auto& mode : modes) {
        for (const std::string command : {"survey", "largest", "kinds", "ages"}) {
            Lines args = mode.options;
            args.insert(args.end(), {command, "C:\\LINKED"});
            const Run result = run(args);
            ASSERT_EQ(result.status, kExitSuccess) << result.err;
            const Lines lines = splitLines(result.out);
            ASSERT_GT(lines.size(), kTitle) << result.out;
            EXPECT_EQ(lines[kTitle], mode.title) << ::testing::PrintToString(args);
            if (command != "survey") {
                EXPECT_EQ(lines.back(), mode.examined) << ::testing::PrintToString(args);
            }
        }
    }
}

TEST_F(ReportCliTest, LargestListsAsManyFilesAsAskedAndSavesAsTheWindow)
{
    const Lines listed = splitLines(run({"largest", "C:\\DATA"}).out);
    const auto titled = [](const Lines& lines, const std::string& title) {
        return std::find(lines.begin(), lines.end(), title) != lines.end();
    };
    EXPECT_TRUE(titled(listed, "C:\\DATA 以下の大きいファイル 100 件")) << "the default";
    for (const Lines& two : {Lines{"largest", "-n", "2", "C:\\DATA"}, Lines{"largest", "C:\\DATA", "--count=2"}}) {
        const Run result = run(two);
        ASSERT_EQ(result.status, kExitSuccess) << result.err;
        const Lines lines = splitLines(result.out);
        EXPECT_TRUE(titled(lines, "C:\\DATA 以下の大きいファイル 2 件")) << result.out;
        // Two of the three files: one line fewer, the rest of the report alike.
        EXPECT_EQ(lines.size() + 1, listed.size()) << result.out;
    }
    ASSERT_EQ(run({"-o", "largest.txt", "largest", "C:\\DATA"}).status, kExitSuccess);
    std::string expected;
    for (const std::string& line : listed) {
        expected += line + "\r\n";
    }
    EXPECT_EQ(savedFiles->at("largest.txt"), expected);
}

TEST_F(ReportCliTest, SizeOptionChoosesWhatEachFileCounts)
{
    const Lines clusters = splitLines(run({"survey", "C:\\DATA"}).out);
    EXPECT_EQ(splitLines(run({"--size", "clusters", "survey", "C:\\DATA"}).out), clusters);
    const Run allocated = run({"--size=allocated", "survey", "C:\\DATA"});
    ASSERT_EQ(allocated.status, kExitSuccess) << allocated.err;
    const Lines lines = splitLines(allocated.out);
    ASSERT_EQ(lines.size(), clusters.size());
    constexpr std::size_t kTitle = 2;
    EXPECT_EQ(lines[kTitle], clusters[kTitle] + std::string{kAllocatedTitleNote});
    // The fake file system allocates each file its exact length.
    constexpr std::uint64_t kDataLengths = 1 + 4096 + 10000;
    EXPECT_NE(std::find(lines.begin(), lines.end(), formatResultLine("C:\\DATA", kDataLengths, ".")), lines.end())
        << allocated.out;
}

TEST_F(ReportCliTest, ExportsKeepNamingUnreadableDirectoriesAndSaveAsPrinted)
{
    lockedTree = true;
    for (const std::string command : {"largest", "kinds", "ages"}) {
        for (const std::string format : {"text", "csv", "json"}) {
            const Run printed = run({"--format", format, command, "C:\\LOCKED"});
            EXPECT_EQ(printed.status, kExitFailure) << command << ' ' << format;
            EXPECT_EQ(printed.err, run({"survey", "C:\\LOCKED"}).err) << command << ' ' << format;
            if (format != "text") {
                ASSERT_EQ(run({"--format=" + format, "-o", "out", command, "C:\\LOCKED"}).status, kExitFailure);
                EXPECT_EQ(savedFiles->at("out"), printed.out) << "saved as printed, not re-encoded";
            }
        }
    }
    for (const std::string format : {"csv", "json"}) {
        const Run printed = run({"--format", format, "survey", "C:\\LOCKED"});
        EXPECT_EQ(printed.status, kExitFailure) << format;
        EXPECT_NE(printed.err.find("C:\\LOCKED\\root: Permission denied"), std::string::npos) << printed.err;
        // JSON doubles the backslashes that CSV keeps as they are.
        const std::string shown = format == "json" ? "C:\\\\LOCKED\\\\open" : "C:\\LOCKED\\open";
        EXPECT_NE(printed.out.find(shown), std::string::npos) << printed.out;
        const Run saved = run({"--format=" + format, "-o", "out", "survey", "C:\\LOCKED"});
        EXPECT_EQ(saved.out, "");
        EXPECT_EQ(savedFiles->at("out"), printed.out) << "saved as printed, not re-encoded";
    }
}

TEST_F(ReportCliTest, DrivesAndAllDrivesPrintTheirReports)
{
    const Run drivesReport = run({"drives"});
    EXPECT_EQ(drivesReport.status, kExitSuccess);
    const Lines drivesLines = splitLines(drivesReport.out);
    ASSERT_EQ(drivesLines.size(), 10u);
    EXPECT_EQ(drivesLines[6], std::string(51, '-'));
    EXPECT_EQ(drivesLines[7], "C drive: Total = 255 MB, Free = 125 MB");

    const Run allDrives = run({"all-drives"});
    EXPECT_EQ(allDrives.status, kExitSuccess);
    EXPECT_EQ(
        splitLines(allDrives.out),
        (Lines{" ", " ", "ディレクトリ容量調査ツール　Ver 1.10", " ", "実施日時：1998年10月23日(金)－14時05分09秒", " ",
               std::string(48, '-'), "0000.02MB - C:\\DATA               = (20.0KB) (20480 B)", std::string(48, '-')}));
}

TEST_F(ReportCliTest, HelpAndVersion)
{
    const Run help = run({"--help"});
    EXPECT_EQ(help.status, kExitSuccess);
    EXPECT_EQ(help.out.rfind("Usage: mezu-report", 0), 0u);
    EXPECT_EQ(run({"-h"}).out, help.out);
    const Run version = run({"--version"});
    EXPECT_EQ(version.status, kExitSuccess);
    EXPECT_EQ(version.out.substr(0, version.out.find('\n')), "mezu-report 1.10");
    EXPECT_NE(version.out.find("License: MIT"), std::string::npos) << version.out;

    for (const char* ask : {"--help", "--version"}) {
        std::ostringstream full;
        full.setstate(std::ios::badbit);
        const Run unwritten = run({ask}, &full);
        EXPECT_EQ(unwritten.status, kExitFailure) << ask;
        EXPECT_EQ(unwritten.err, "mezu-report: standard output: write error\n");
    }
}

TEST_F(ReportCliTest, ThreadsOptionReachesThePlatform)
{
    run({"survey", "C:\\DATA"});
    EXPECT_EQ(requestedThreads, 0u) << "the platform's default";
    run({"--threads", "1", "survey", "C:\\DATA"});
    EXPECT_EQ(requestedThreads, 1u);
    run({"--threads=4", "survey", "C:\\DATA"});
    EXPECT_EQ(requestedThreads, 4u);
}

TEST_F(ReportCliTest, DriveOptionsAccumulateInEitherForm)
{
    run({"--drive=c=/a", "--drive", "E=/b", "survey", "C:\\DATA"});
    ASSERT_EQ(requestedDrives.size(), 2u);
    EXPECT_EQ(requestedDrives[0].letter, 'C');
    EXPECT_EQ(requestedDrives[1].letter, 'E');
    EXPECT_EQ(requestedDrives[1].root, "/b");
}

TEST_F(ReportCliTest, ProgressIsShownOnlyWhenAskedAndClearedAtTheEnd)
{
    const Run quiet = run({"survey", "C:\\DATA"});
    EXPECT_EQ(quiet.err, "");
    const Run shown = run({"survey", "C:\\DATA"}, nullptr, true);
    EXPECT_EQ(shown.status, kExitSuccess);
    EXPECT_NE(shown.err.find("surveying: 0 measured"), std::string::npos);
    const std::string clearLine = "\r\033[K";
    ASSERT_GE(shown.err.size(), clearLine.size());
    EXPECT_EQ(shown.err.substr(shown.err.size() - clearLine.size()), clearLine);
    EXPECT_EQ(splitLines(shown.out).size(), splitLines(quiet.out).size());

    for (const char* option : {"-q", "--quiet"}) {
        const Run silenced = run({option, "survey", "C:\\DATA"}, nullptr, true);
        EXPECT_EQ(silenced.status, kExitSuccess) << option;
        EXPECT_EQ(silenced.err, "") << option;
        EXPECT_EQ(silenced.out, quiet.out) << option;
    }
}

TEST_F(ReportCliTest, HelpFitsInSeventyNineColumns)
{
    // Every character of the help outside ASCII is a wide Japanese one, two columns on a
    // terminal; each is three bytes in UTF-8, its lead byte one of them.
    for (const std::string& line : splitLines(run({"--help"}).out)) {
        std::size_t columns = 0;
        for (const char character : line) {
            const auto c = static_cast<unsigned char>(character);
            columns += c < 0x80 ? 1 : (c & 0xC0) == 0xC0 ? 2 : 0;
        }
        EXPECT_LE(columns, 79u) << line;
    }
}

TEST_F(ReportCliTest, CompareListsTheChangesSinceASavedReport)
{
    ASSERT_EQ(run({"-o", "old.txt", "survey", "C:\\DATA"}).status, kExitSuccess);
    const Run unchanged = run({"compare", "old.txt", "survey", "C:\\DATA"});
    ASSERT_EQ(unchanged.status, kExitSuccess) << unchanged.err;
    const Lines lines = splitLines(unchanged.out);
    ASSERT_EQ(lines.size(), 15u) << unchanged.out;
    EXPECT_EQ(lines[6], "比較：old.txt と今回");
    EXPECT_EQ(Lines(lines.begin() + 11, lines.begin() + 13),
              (Lines{" 0000.00MB - C:\\DATA (0000.02MB → 0000.02MB) (0 B)",
                     " 0000.00MB - C:\\DATA\\OLD (0000.01MB → 0000.01MB) (0 B)"}));
    EXPECT_EQ(lines.back(), "比較したディレクトリ数： 2");

    ASSERT_EQ(run({"-o", "new.txt", "survey", "C:\\DATA"}).status, kExitSuccess);
    EXPECT_EQ(splitLines(run({"compare", "old.txt", "new.txt"}).out), lines);

    (*savedFiles)["note.txt"] = "hello\n";
    const Run notAReport = run({"compare", "note.txt", "new.txt"});
    EXPECT_EQ(notAReport.status, kExitUsage);
    EXPECT_EQ(notAReport.err,
              "mezu-report: note.txt: not a whole survey report; line 1: not the line a report's header has here: "
              "hello\n");
    const Run missing = run({"compare", "gone.txt", "survey"});
    EXPECT_EQ(missing.status, kExitFailure);
    EXPECT_EQ(missing.err, "mezu-report: gone.txt: No such file or directory\n");
}

TEST_F(ReportCliTest, OutputOptionSavesTheReportInsteadOfPrintingIt)
{
    const Run printed = run({"survey", "C:\\DATA"});
    const Run saved = run({"-o", "/reports/a.txt", "survey", "C:\\DATA"});
    EXPECT_EQ(saved.status, kExitSuccess);
    EXPECT_EQ(saved.out, "");
    std::string expected;
    for (const std::string& line : splitLines(printed.out)) {
        expected += line + "\r\n";
    }
    EXPECT_EQ(savedFiles->at("/reports/a.txt"), expected);
    EXPECT_EQ(run({"survey", "--output=b.txt", "C:\\DATA"}).status, kExitSuccess);
    EXPECT_EQ(savedFiles->count("b.txt"), 1u);
    // "-" is standard output, which gets the bytes of the saved file.
    for (const Lines& toStandardOutput :
         {Lines{"-o", "-", "survey", "C:\\DATA"}, Lines{"--output=-", "survey", "C:\\DATA"}}) {
        savedFiles->clear();
        EXPECT_EQ(run(toStandardOutput).status, kExitSuccess);
        EXPECT_EQ(savedFiles->count("-"), 0u);
        EXPECT_EQ(savedFiles->at(test::MemoryFileWriter::kStandardOutput), expected);
    }

    failWrites = true;
    const Run failed = run({"survey", "-o", "/reports/a.txt", "C:\\DATA"});
    EXPECT_EQ(failed.status, kExitFailure);
    EXPECT_EQ(failed.err, "mezu-report: /reports/a.txt: No space left on device\n");
    EXPECT_EQ(run({"-o", "-", "survey", "C:\\DATA"}).err, "mezu-report: standard output: No space left on device\n");
}

TEST_F(ReportCliTest, OutputThatCannotBeWrittenFails)
{
    std::ostringstream broken;
    broken.setstate(std::ios::badbit);
    const Run result = run({"survey", "C:\\DATA"}, &broken);
    EXPECT_EQ(result.status, kExitFailure);
    EXPECT_EQ(result.err, "mezu-report: standard output: write error\n");
}

}  // namespace
}  // namespace mezu
