// SPDX-License-Identifier: MIT
// The built mezu-report run as a user runs it, on trees built for each test.
#include <fcntl.h>
#include <limits.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <regex>
#include <sstream>

#include "temp_tree.h"

namespace {

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

std::string readAll(int fd)
{
    std::string text;
    char buffer[65536];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;) {
        text.append(buffer, static_cast<std::size_t>(n));
    }
    return text;
}

std::string fileBytes(const std::string& path)
{
    std::ostringstream bytes;
    bytes << std::ifstream{path, std::ios::binary}.rdbuf();
    return bytes.str();
}

// chdir(2) one name at a time, so that the directory may be deeper than PATH_MAX.
bool changeDirectoryStepwise(const std::string& path)
{
    if (!path.empty() && path.front() == '/' && ::chdir("/") != 0) {
        return false;
    }
    std::istringstream names{path};
    for (std::string name; std::getline(names, name, '/');) {
        if (!name.empty() && ::chdir(name.c_str()) != 0) {
            return false;
        }
    }
    return true;
}

// Run in the child before mezu-report starts; false ends the child with status 125.
using ChildSetup = std::function<bool()>;
constexpr int kSetupFailed = 125;

Outcome runReport(const std::vector<std::string>& args, const std::string& workingDirectory = ".",
                  const ChildSetup& setup = {}, const std::string& program = MEZU_REPORT_BINARY)
{
    char outName[] = "/tmp/mezu-e2e-out-XXXXXX";
    char errName[] = "/tmp/mezu-e2e-err-XXXXXX";
    const int out = ::mkstemp(outName);
    const int err = ::mkstemp(errName);
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(out, STDOUT_FILENO);
        ::dup2(err, STDERR_FILENO);
        // Only the standard streams are passed on, so a descriptor limit counts mezu's own.
        ::close_range(STDERR_FILENO + 1, ~0U, 0);
        if (!changeDirectoryStepwise(workingDirectory)) {
            ::_exit(126);
        }
        if (setup && !setup()) {
            ::_exit(kSetupFailed);
        }
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const std::string& arg : args) {
            argv.push_back(const_cast<char*>(arg.c_str()));
        }
        argv.push_back(nullptr);
        ::execv(program.c_str(), argv.data());
        ::_exit(127);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    Outcome run;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    ::lseek(out, 0, SEEK_SET);
    ::lseek(err, 0, SEEK_SET);
    run.out = readAll(out);
    run.err = readAll(err);
    ::close(out);
    ::close(err);
    ::unlink(outName);
    ::unlink(errName);
    return run;
}

// The byte figure of each result line, by its path.
std::map<std::string, std::uint64_t> resultBytes(const std::string& report)
{
    static const std::regex kResultLine{R"(^\d{4,}\.\d\dMB - (.*?) *= \(\d+\.\dKB\) \((\d+) B\)$)"};
    std::map<std::string, std::uint64_t> figures;
    std::istringstream in{report};
    for (std::string line; std::getline(in, line);) {
        std::smatch match;
        if (std::regex_match(line, match, kResultLine)) {
            figures[match[1]] = std::stoull(match[2]);
        }
    }
    return figures;
}

std::uint64_t clusterOf(const std::string& path)
{
    struct statvfs figures {};
    ::statvfs(path.c_str(), &figures);
    return figures.f_frsize;
}

std::uint64_t allocation(std::uint64_t length, std::uint64_t cluster)
{
    return (length + cluster - 1) / cluster * cluster;
}

TEST(MezuReportEndToEnd, CountsOnlyWhatAFileManagerWouldOnAStrangeTree)
{
    mezu::test::TempTree tree;
    const std::uint64_t cluster = clusterOf(tree.root());
    const std::string notUtf8 = "\xff\xfe-raw";
    tree.dir("top/plain");
    tree.file("top/plain/a", 1);
    tree.file("top/plain/b", 4097);
    tree.file("top/plain/.hidden", 50000);
    tree.dir("top/plain/.hiddendir");
    tree.file("top/plain/.hiddendir/x", 50000);
    tree.dir("top/日本語ディレクトリ");
    tree.file("top/日本語ディレクトリ/ファイル.txt", 4096);
    tree.dir("top/" + notUtf8);
    tree.file("top/" + notUtf8 + "/f", 10);
    tree.dir("top/sparse");
    tree.file("top/sparse/big", (1ULL << 31) + 1);
    tree.dir("top/links");
    tree.symlink("../plain/b", "top/links/to-file");
    tree.symlink("../plain", "top/links/to-dir");
    tree.symlink("..", "top/links/loop");
    tree.fifo("top/links/fifo");
    tree.dir("top/long");
    tree.deepChain("top/long", std::string(200, 'L'), 25, 3);
    tree.file("top/direct", 100);

    const Outcome run = runReport({"--drive", "C=" + tree.root(), "survey", tree.path("top")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");

    const auto figures = resultBytes(run.out);
    const std::uint64_t plain = allocation(1, cluster) + allocation(4097, cluster);
    const std::uint64_t japanese = allocation(4096, cluster);
    const std::uint64_t raw = allocation(10, cluster);
    const std::uint64_t sparse = allocation((1ULL << 31) + 1, cluster);
    const std::uint64_t deep = allocation(3, cluster);
    EXPECT_EQ(figures.at("C:\\top\\plain"), plain);
    EXPECT_EQ(figures.at("C:\\top\\日本語ディレクトリ"), japanese);
    EXPECT_EQ(figures.at("C:\\top\\\xEF\xBF\xBD\xEF\xBF\xBD-raw"), raw) << "the report is UTF-8, as promised";
    EXPECT_EQ(figures.at("C:\\top\\sparse"), sparse);
    EXPECT_EQ(figures.at("C:\\top\\links"), 0u);
    EXPECT_EQ(figures.at("C:\\top\\long"), deep);
    EXPECT_EQ(figures.at("C:\\top"), plain + japanese + raw + sparse + deep + allocation(100, cluster));
    EXPECT_EQ(figures.size(), 7u);
    EXPECT_NE(run.out.find("C:\\top 以下のディレクトリ数： 6\n"), std::string::npos);
    EXPECT_EQ(run.out.rfind(" \n \nディレクトリ容量調査ツール　Ver 1.10\n \n実施日時：", 0), 0u);
}

TEST(MezuReportEndToEnd, ControlCharactersInNamesCannotBreakOrForgeLines)
{
    mezu::test::TempTree tree;
    const std::string forged = "nl\n0099.99MB - C:x = (1.0KB) (1 B)";
    tree.dir("top/" + forged);
    tree.file("top/" + forged + "/f", 1);
    tree.dir("top/cr\r\x7f");
    const Outcome run = runReport({"--drive", "C=" + tree.root(), "survey", tree.path("top")});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto figures = resultBytes(run.out);
    EXPECT_EQ(figures.size(), 3u);
    EXPECT_EQ(figures.count("C:\\top\\nl?0099.99MB - C:x = (1.0KB) (1 B)"), 1u);
    EXPECT_EQ(figures.count("C:\\top\\cr??"), 1u);
    EXPECT_EQ(run.out.find('\r'), std::string::npos);

    const std::string saved = tree.path("MEZU.TXT");
    ASSERT_EQ(runReport({"--drive", "C=" + tree.root(), "-o", saved, "survey", tree.path("top")}).status, 0);
    const std::string bytes = fileBytes(saved);
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), std::count(bytes.begin(), bytes.end(), '\r'));
    EXPECT_EQ(bytes.find("\r\r"), std::string::npos);
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), std::count(run.out.begin(), run.out.end(), '\n'));
}

TEST(MezuReportEndToEnd, ASavedReportOfAnUnchangedTreeComparesAsUnchanged)
{
    mezu::test::TempTree tree;
    const std::uint64_t cluster = clusterOf(tree.root());
    // Names Shift_JIS cannot hold or gives back as others, names shown alike, a stray byte.
    for (const std::string name : {"日本語", "é", "a😀", "a😁", "〜−‖—¢¬", "\xff-raw", "x", "x ", "c\x1b"}) {
        tree.dir("top/" + name);
        tree.file("top/" + name + "/f", 1);
    }
    const std::vector<std::string> drive = {"--drive", "C=" + tree.root()};
    auto withDrive = [&drive](std::vector<std::string> args) {
        args.insert(args.begin(), drive.begin(), drive.end());
        return args;
    };
    const std::string shiftJis = tree.path("old.txt");
    ASSERT_EQ(runReport(withDrive({"-o", shiftJis, "survey", tree.path("top")})).status, 0);
    const std::string utf8 = tree.path("old-utf8.txt");
    std::ofstream{utf8} << "\xEF\xBB\xBF" << runReport(withDrive({"survey", tree.path("top")})).out;

    for (const std::string& old : {shiftJis, utf8}) {
        const Outcome run = runReport(withDrive({"compare", old, "survey", tree.path("top")}));
        ASSERT_EQ(run.status, 0) << run.err;
        std::istringstream lines{run.out};
        int compared = 0;
        for (std::string line; std::getline(lines, line);) {
            if (line.find(" - C:\\top") != std::string::npos && line.find(" → ") != std::string::npos) {
                ++compared;
                EXPECT_TRUE(line.ends_with(" (0 B)")) << old << ": " << line;
            }
        }
        EXPECT_EQ(compared, 10) << run.out;
        EXPECT_NE(run.err.find("C:\\top\\x: more than one directory"), std::string::npos) << run.err;
    }

    tree.file("top/日本語/b", cluster + 1);
    const Outcome grown = runReport(withDrive({"compare", shiftJis, "survey", tree.path("top")}));
    ASSERT_EQ(grown.status, 0) << grown.err;
    EXPECT_NE(grown.out.find(" - C:\\top\\日本語 ("), std::string::npos) << grown.out;
    EXPECT_NE(grown.out.find("(+" + std::to_string(2 * cluster) + " B)\n"), std::string::npos) << grown.out;
}

TEST(MezuReportEndToEnd, CompareRefusesWhatIsNoWholeReportAndNeverWaitsOnAFifo)
{
    mezu::test::TempTree tree;
    tree.dir("top/a");
    const std::string saved = tree.path("old.txt");
    ASSERT_EQ(runReport({"--drive", "C=" + tree.root(), "-o", saved, "survey", tree.path("top")}).status, 0);
    const std::string bytes = fileBytes(saved);
    std::ofstream{tree.path("cut.txt"), std::ios::binary} << bytes.substr(0, bytes.rfind(std::string(41, '+')));
    std::ofstream{tree.path("junk.txt"), std::ios::binary} << bytes.substr(0, 40) << "\xff\xfe\x80\x1b[31m";
    tree.fifo("fifo");
    const struct {
        std::string file;
        int status;
        std::string error;
    } refused[] = {
        {"cut.txt", 2, "the report ends without its footer"},
        {"junk.txt", 2, "line 3: bytes that are not Shift_JIS text (nor UTF-8): ディレクトリ容量調査ツール　Ver 1."},
        {"fifo", 1, "fifo: not a regular file"},
    };
    for (const auto& [file, status, error] : refused) {
        const Outcome run = runReport({"--drive", "C=" + tree.root(), "compare", tree.path(file), saved});
        EXPECT_EQ(run.status, status) << file;
        EXPECT_NE(run.err.find(error), std::string::npos) << run.err;
        EXPECT_EQ(run.err.find('\x1b'), std::string::npos) << "no escape reaches the terminal";
    }
}

TEST(MezuReportEndToEnd, FiguresAreExactWithFewDescriptorsAndManyThreads)
{
    mezu::test::TempTree tree;
    // Deep enough that the way down to it alone takes more descriptors than the limit allows.
    const std::string top = "p/q/r/s/u/v/w/x/y/z/t";
    for (int i = 0; i < 30; ++i) {
        const std::string subtree = top + "/s" + std::to_string(i);
        tree.dir(subtree + "/a/b/c");
        tree.file(subtree + "/a/b/c/f", 8192);
        tree.file(subtree + "/a/g", static_cast<std::uint64_t>(i) * 1000 + 1);
    }
    for (int i = 0; i < 300; ++i) {
        tree.dir(top + "/wide/d" + std::to_string(i) + "/sub");
        tree.file(top + "/wide/d" + std::to_string(i) + "/sub/f", 1);
    }
    tree.deepChain(top + "/wide", "deep", 100, 5);
    const std::vector<std::string> args = {"--drive", "C=" + tree.root(), "survey",
                                           "C:\\p\\q\\r\\s\\u\\v\\w\\x\\y\\z\\t"};
    const std::string workingDirectory = tree.path(top + "/wide/d0/sub");
    const Outcome unlimited = runReport(args, workingDirectory);
    ASSERT_EQ(unlimited.status, 0) << unlimited.err;
    const auto expected = resultBytes(unlimited.out);
    ASSERT_EQ(expected.size(), 32u);

    for (const rlim_t descriptors : {rlim_t{8}, rlim_t{12}, rlim_t{64}}) {
        for (const char* threads : {"1", "4", "64"}) {
            std::vector<std::string> limitedArgs = {"--threads", threads};
            limitedArgs.insert(limitedArgs.end(), args.begin(), args.end());
            const Outcome limited = runReport(limitedArgs, workingDirectory, [descriptors] {
                const rlimit limit{descriptors, descriptors};
                return ::setrlimit(RLIMIT_NOFILE, &limit) == 0;
            });
            const std::string where = "ulimit -n " + std::to_string(descriptors) + ", --threads " + threads;
            EXPECT_EQ(limited.status, 0) << where << ": " << limited.err;
            EXPECT_EQ(limited.err, "") << where;
            EXPECT_EQ(resultBytes(limited.out), expected) << where;
        }
    }
}

std::vector<std::string> sortedLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in{text};
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

TEST(MezuReportEndToEnd, DirectoriesTheUserCannotReadAreNamedAndFailTheRun)
{
    constexpr uid_t kNobody = 65534;
    mezu::test::TempTree tree;
    for (const std::string directory : {"top/ok", "top/locked", "top/unlisted", "top/unexamined"}) {
        tree.dir(directory);
        tree.file(directory + "/f", 1);
    }
    // Listed but not searchable, and holding nothing but hidden entries, which no survey counts:
    // still a directory that could not be read.
    tree.dir("top/unsearchable/.sub");
    tree.file("top/unsearchable/.hidden", 1);
    ASSERT_EQ(::chmod(tree.path("top/locked").c_str(), 0700), 0);
    ASSERT_EQ(::chmod(tree.path("top/unlisted").c_str(), 0311), 0);
    ASSERT_EQ(::chmod(tree.path("top/unexamined").c_str(), 0644), 0);
    ASSERT_EQ(::chmod(tree.path("top/unsearchable").c_str(), 0644), 0);
    // Root reads everything: the survey then runs as nobody, who does not own the tree. The build
    // may lie where nobody cannot enter (a private home, a mkdtemp directory): nobody runs a copy.
    const bool root = ::geteuid() == 0;
    mezu::test::TempTree programs;
    const std::string program = programs.path("mezu-report");
    std::filesystem::copy_file(MEZU_REPORT_BINARY, program);
    ASSERT_EQ(::chmod(program.c_str(), 0755), 0);
    const Outcome run = runReport(
        {"--drive", "C=" + tree.root(), "survey", "C:\\top"}, ".",
        [root] { return !root || (::setgid(kNobody) == 0 && ::setuid(kNobody) == 0); }, program);
    if (run.status == kSetupFailed) {
        GTEST_SKIP() << "cannot run as an unprivileged user here";
    }
    EXPECT_EQ(run.status, 1);
    std::vector<std::string> named;
    for (const std::string name : {"locked", "unexamined", "unlisted", "unsearchable"}) {
        named.push_back("mezu-report: C:\\top\\" + name + " (" + tree.path("top/" + name) + "): Permission denied");
    }
    EXPECT_EQ(sortedLines(run.err), named);
    const auto figures = resultBytes(run.out);
    EXPECT_EQ(figures.size(), 6u) << run.out;
    EXPECT_EQ(figures.at("C:\\top\\locked"), 0u);
    EXPECT_GT(figures.at("C:\\top\\ok"), 0u);
}

// What the file system reports as allocated to the file at `path`.
std::uint64_t allocatedOf(const std::string& path)
{
    struct stat status {};
    ::lstat(path.c_str(), &status);
    return static_cast<std::uint64_t>(status.st_blocks) * 512;
}

TEST(MezuReportEndToEnd, AllocatedSizeCountsHolesAsNothingAndDataAsWritten)
{
    constexpr std::uint64_t kSparseLength = 1ULL << 30;
    constexpr std::size_t kDataLength = 100000;
    mezu::test::TempTree tree;
    tree.dir("top/sparse");
    tree.dir("top/data");
    tree.file("top/sparse/hole", kSparseLength);
    std::ofstream{tree.path("top/data/written"), std::ios::binary} << std::string(kDataLength, 'x');
    const std::uint64_t cluster = clusterOf(tree.root());
    const std::uint64_t sparseAllocated = allocatedOf(tree.path("top/sparse/hole"));
    const std::uint64_t dataAllocated = allocatedOf(tree.path("top/data/written"));
    ASSERT_LT(sparseAllocated, kSparseLength / 2) << "this file system fills holes";
    ASSERT_GE(dataAllocated, kDataLength);

    struct Case {
        std::vector<std::string> size;
        std::uint64_t sparse;
        std::uint64_t data;
        bool titleNote;
    };
    const Case cases[] = {
        {{}, allocation(kSparseLength, cluster), allocation(kDataLength, cluster), false},
        {{"--size", "clusters"}, allocation(kSparseLength, cluster), allocation(kDataLength, cluster), false},
        {{"--size=allocated"}, sparseAllocated, dataAllocated, true},
        {{"--size", "allocated"}, sparseAllocated, dataAllocated, true},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args{"--drive", "D=" + tree.root()};
        args.insert(args.end(), c.size.begin(), c.size.end());
        args.insert(args.end(), {"survey", "D:\\top"});
        const Outcome run = runReport(args);
        ASSERT_EQ(run.status, 0) << run.err;
        const std::map<std::string, std::uint64_t> figures = resultBytes(run.out);
        EXPECT_EQ(figures.at("D:\\top\\sparse"), c.sparse) << c.titleNote;
        EXPECT_EQ(figures.at("D:\\top\\data"), c.data) << c.titleNote;
        EXPECT_EQ(figures.at("D:\\top"), c.sparse + c.data) << c.titleNote;
        EXPECT_EQ(run.out.find("（実割当）\n") != std::string::npos, c.titleNote) << run.out;
    }
    const Outcome wrong = runReport({"--size", "blocks", "survey"});
    EXPECT_EQ(wrong.status, 2);
    EXPECT_NE(wrong.err.find("--size takes clusters or allocated"), std::string::npos) << wrong.err;
}

TEST(MezuReportEndToEnd, CsvExportHasAHeaderAndOneQuotedRecordPerDirectory)
{
    mezu::test::TempTree tree;
    tree.dir("top/a,b");
    tree.dir("top/plain/deeper");
    tree.file("top/a,b/f", 5000);
    tree.file("top/plain/deeper/g", 1);
    const std::uint64_t cluster = clusterOf(tree.root());
    const Outcome run = runReport({"--drive", "D=" + tree.root(), "--format", "csv", "survey", "D:\\top"});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string expected =
        "drive_path,host_path,bytes,files,directories,share,depth,read_error\r\n"
        "D:\\top," +
        tree.path("top") + "," + std::to_string(allocation(5000, cluster) + allocation(1, cluster)) +
        ",2,4,1.000000,0,false\r\n";
    EXPECT_EQ(run.out.substr(0, expected.size()), expected) << run.out;
    EXPECT_NE(run.out.find("\"D:\\top\\a,b\",\"" + tree.path("top/a,b") + "\"," +
                           std::to_string(allocation(5000, cluster)) + ",1,1,"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("D:\\top\\plain," + tree.path("top/plain") + "," + std::to_string(allocation(1, cluster)) +
                           ",1,2,"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(run.out.find("ディレクトリ"), std::string::npos) << "no text report beside it";
}

TEST(MezuReportEndToEnd, JsonExportIsOneDocumentWrittenAsUtf8WithO)
{
    mezu::test::TempTree tree;
    tree.dir("top/日本\"語");
    tree.file("top/日本\"語/f", 1);
    const std::string saved = tree.path("out.json");
    const Outcome run = runReport({"--drive", "D=" + tree.root(), "--format=json", "-o", saved, "survey", "D:\\top"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "");
    const std::string json = fileBytes(saved);
    static const std::regex kDate{R"("date": "\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d[+-]\d\d:\d\d")"};
    EXPECT_TRUE(std::regex_search(json, kDate)) << json;
    EXPECT_EQ(json.front(), '{');
    EXPECT_EQ(json.substr(json.size() - 2), "}\n");
    EXPECT_NE(json.find("\"drive_path\": \"D:\\\\top\\\\日本\\\"語\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"drive\": \"D:\", \"total_mb\": "), std::string::npos) << json;
    EXPECT_NE(json.find("\"bytes_per_cluster\": " + std::to_string(clusterOf(tree.root()))), std::string::npos) << json;
    const Outcome compare = runReport({"--format", "json", "compare", saved, "survey"});
    EXPECT_EQ(compare.status, 2) << "compare prints text only";
}

TEST(MezuReportEndToEnd, SurveysTheWorkingDirectoryByDefault)
{
    mezu::test::TempTree tree;
    tree.dir("here/sub");
    const Outcome run = runReport({"--drive", "D=" + tree.root(), "survey"}, tree.path("here"));
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("D:\\here 以下のディレクトリ数： 1\n"), std::string::npos);
    EXPECT_NE(run.out.find("\nD drive: Total ="), std::string::npos);
    const Outcome byDrivePath = runReport({"--drive", "D=" + tree.root(), "survey", "d:\\here"});
    ASSERT_EQ(byDrivePath.status, 0) << byDrivePath.err;
    EXPECT_EQ(resultBytes(byDrivePath.out).count("D:\\here\\sub"), 1u);
}

TEST(MezuReportEndToEnd, SurveysAWorkingDirectoryDeeperThanPathMax)
{
    mezu::test::TempTree tree;
    const std::string name(200, 'D');
    constexpr int kLevels = 25;
    tree.dir("deep");
    tree.deepChain("deep", name, kLevels, 1);
    std::string deepest = tree.path("deep");
    for (int i = 0; i < kLevels; ++i) {
        deepest += "/" + name;
    }
    ASSERT_GT(deepest.size(), static_cast<std::size_t>(PATH_MAX));
    const Outcome run = runReport({"--drive", "C=" + tree.root(), "survey"}, deepest);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("\\" + name + " 以下のディレクトリ数： 0\n"), std::string::npos);
    EXPECT_EQ(resultBytes(run.out).size(), 1u);
}

// /dev/shm is a tmpfs of its own below /dev, and the default table gives it no letter.
TEST(MezuReportEndToEnd, ADirectoryOnAnotherFileSystemThanItsDriveIsSurveyedUnderALetterForTheRun)
{
    struct stat dev {};
    struct stat shm {};
    std::string made = "/dev/shm/mezu-e2e-XXXXXX";
    if (::stat("/dev", &dev) != 0 || ::stat("/dev/shm", &shm) != 0 || dev.st_dev == shm.st_dev ||
        ::mkdtemp(made.data()) == nullptr) {
        GTEST_SKIP() << "/dev/shm is not a file system of its own below /dev here";
    }
    const std::string name = made.substr(made.rfind('/') + 1);
    std::ofstream{made + "/f"} << 'x';
    ::mkdir((made + "/sub").c_str(), 0755);
    std::ofstream{made + "/sub/g"} << std::string(5000, 'y');
    const std::uint64_t cluster = clusterOf("/dev/shm");
    const std::string drivePath = "A:\\" + name;
    struct Case {
        std::vector<std::string> args;
        std::string workingDirectory;
    };
    const Case cases[] = {
        {{"--drive", "C=/dev", "survey", made}, "."},
        {{"--drive", "C=/dev", "survey", "C:\\shm\\" + name}, "."},
        {{"survey", made}, "."},
        {{"survey"}, made},
    };
    for (const Case& c : cases) {
        const Outcome run = runReport(c.args, c.workingDirectory);
        const std::string what = c.args.back();
        EXPECT_EQ(run.status, 0) << what << ": " << run.err;
        EXPECT_EQ(run.err, "") << what;
        EXPECT_NE(run.out.find("\nA drive: Total = "), std::string::npos) << what << run.out;
        EXPECT_NE(run.out.find("Block =  " + std::to_string(cluster) + " B\n"), std::string::npos) << run.out;
        EXPECT_EQ(run.out.find("C drive"), std::string::npos) << what;
        const auto figures = resultBytes(run.out);
        EXPECT_EQ(figures.count(drivePath) ? figures.at(drivePath) : 0,
                  allocation(1, cluster) + allocation(5000, cluster))
            << what << run.out;
        EXPECT_EQ(figures.count(drivePath + "\\sub"), 1u) << what;
    }
    // A letter given for the run is no drive of the machine's: the drive report stays as it is.
    const Outcome drives = runReport({"drives"}, made);
    EXPECT_EQ(drives.status, 0);
    EXPECT_EQ(drives.out.find("A drive"), std::string::npos) << drives.out;
    std::filesystem::remove_all(made);
}

TEST(MezuReportEndToEnd, BadInputGivesOneLineAndAStatus)
{
    mezu::test::TempTree tree;
    tree.file("file", 1);
    const Outcome missing = runReport({"--drive", "C=" + tree.root(), "survey", tree.path("missing")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, "mezu-report: " + tree.path("missing") + ": No such file or directory\n");
    EXPECT_EQ(missing.out, "");
    const Outcome file = runReport({"--drive", "C=" + tree.root(), "survey", tree.path("file")});
    EXPECT_EQ(file.status, 1);
    EXPECT_EQ(file.err, "mezu-report: " + tree.path("file") + ": Not a directory\n");
    const Outcome badRoot = runReport({"--drive", "C=" + tree.path("missing"), "survey"});
    EXPECT_EQ(badRoot.status, 1);
    EXPECT_EQ(badRoot.err, "mezu-report: " + tree.path("missing") + ": No such file or directory\n");
    const Outcome usage = runReport({"survey", "--frobnicate"});
    EXPECT_EQ(usage.status, 2);
    const Outcome full = runReport({"--drive", "C=" + tree.root(), "survey", tree.root()});
    EXPECT_EQ(full.status, 0);
}

TEST(MezuReportEndToEnd, WriteFailureOnStandardOutputIsReported)
{
    if (::access("/dev/full", W_OK) != 0) {
        GTEST_SKIP() << "no /dev/full on this machine";
    }
    mezu::test::TempTree tree;
    const std::string command = std::string{"'"} + MEZU_REPORT_BINARY + "' --drive C=" + tree.root() + " survey " +
                                tree.root() + " >/dev/full 2>/dev/null";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
}

std::string fileContents(const std::string& path)
{
    std::ifstream in{path, std::ios::binary};
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The lines of a saved report (CR LF) without what two runs may differ in: the time of day and
// the drive's free space.
std::vector<std::string> steadyLines(const std::string& saved)
{
    constexpr std::size_t kDateLine = 4;
    constexpr std::size_t kSpaceLine = 6;
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < saved.size();) {
        const std::size_t end = std::min(saved.find("\r\n", start), saved.size());
        lines.push_back(saved.substr(start, end - start));
        start = end + 2;
    }
    if (lines.size() > kSpaceLine) {
        lines[kDateLine].clear();
        lines[kSpaceLine].clear();
    }
    return lines;
}

std::string quoted(const std::vector<std::string>& words)
{
    std::string command;
    for (const std::string& word : words) {
        command += (command.empty() ? "'" : " '") + word + "'";
    }
    return command;
}

// -o writes through what the name stands for: standard output (a file or a pipe), a device;
// a write-protected file is refused and kept.
TEST(MezuReportEndToEnd, SavingToSpecialAndProtectedFiles)
{
    mezu::test::TempTree tree;
    tree.dir("data");
    tree.file("data/f", 5000);
    const std::vector<std::string> survey{"--drive", "C=" + tree.root(), "survey", tree.path("data")};
    const auto savingTo = [&](const std::string& target) {
        std::vector<std::string> args{"-o", target};
        args.insert(args.end(), survey.begin(), survey.end());
        return args;
    };
    const Outcome reference = runReport(savingTo(tree.path("reference.txt")));
    ASSERT_EQ(reference.status, 0) << reference.err;
    const std::string report = fileContents(tree.path("reference.txt"));
    ASSERT_NE(report.find("\r\n"), std::string::npos);

    const auto steady = steadyLines;
    const Outcome toStdoutFile = runReport(savingTo("/dev/stdout"));
    EXPECT_EQ(toStdoutFile.status, 0) << toStdoutFile.err;
    EXPECT_EQ(steady(toStdoutFile.out), steady(report)) << "standard output redirected to a file";

    std::vector<std::string> command{MEZU_REPORT_BINARY};
    const std::vector<std::string> toStandardOutput = savingTo("/dev/stdout");
    command.insert(command.end(), toStandardOutput.begin(), toStandardOutput.end());
    FILE* pipe = ::popen(quoted(command).c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    const std::string piped = readAll(::fileno(pipe));
    EXPECT_EQ(::pclose(pipe), 0);
    EXPECT_EQ(steady(piped), steady(report)) << "standard output is a pipe";

    const std::string full = tree.path("full");
    if (::mknod(full.c_str(), S_IFCHR | 0666, ::makedev(1, 7)) == 0) {
        const Outcome failed = runReport(savingTo(full));
        EXPECT_EQ(failed.status, 1);
        EXPECT_EQ(failed.err, "mezu-report: " + full + ": No space left on device\n");
    }

    const std::string kept = tree.path("kept.txt");
    std::ofstream{kept} << "precious";
    ASSERT_EQ(::chmod(kept.c_str(), 0444), 0);
    const Outcome refused = runReport(savingTo(kept));
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err, "mezu-report: " + kept + ": Permission denied\n");
    EXPECT_EQ(fileContents(kept), "precious");
}

// A name of one of mezu-report's own descriptors is written through it, where the shell left
// it: what the shell writes before and after stays around the report, in order.
TEST(MezuReportEndToEnd, SavingToStandardOutputKeepsWhatTheShellWroteAroundIt)
{
    mezu::test::TempTree tree;
    tree.dir("data/sub");
    tree.file("data/sub/f", 5000);
    const std::vector<std::string> survey{"--drive", "C=" + tree.root(), "survey", tree.path("data")};
    ASSERT_EQ(runReport([&] {
                  std::vector<std::string> args{"-o", tree.path("reference.txt")};
                  args.insert(args.end(), survey.begin(), survey.end());
                  return args;
              }())
                  .status,
              0);
    const std::vector<std::string> report = steadyLines(fileContents(tree.path("reference.txt")));
    const auto saving = [&](const std::string& target) {
        std::vector<std::string> words{MEZU_REPORT_BINARY, "-o", target};
        words.insert(words.end(), survey.begin(), survey.end());
        return quoted(words);
    };
    struct Case {
        const char* name;
        std::string script;  // leaves its result in the file log
        std::string before;  // what the log holds before the report
        std::string after;   // and after it
    };
    const std::string lines = "line 1\nline 2\nline 3\n";
    const std::vector<Case> cases{
        {"appending", "for i in 1 2 3; do echo \"line $i\"; done > log; " + saving("/dev/stdout") + " >> log", lines,
         ""},
        {"between two echoes", "{ echo H; " + saving("/dev/stdout") + "; echo F; } > log", "H\n", "F\n"},
        {"- as the file", "{ echo H; " + saving("-") + "; echo F; } > log", "H\n", "F\n"},
        {"standard error", "{ echo H >&2; " + saving("/dev/stderr") + "; echo F >&2; } 2> log", "H\n", "F\n"},
        {"another descriptor", "echo H > log; " + saving("/proc/self/fd/3") + " 3>> log; echo F >> log", "H\n", "F\n"},
        {"a pipe", saving("-") + " | cat > log", "", ""},
    };
    for (const Case& c : cases) {
        const std::string script = "cd '" + tree.root() + "' && " + c.script;
        const int status = std::system(script.c_str());
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << c.name << ": status " << status;
        const std::string log = fileContents(tree.path("log"));
        ASSERT_GE(log.size(), c.before.size() + c.after.size()) << c.name;
        EXPECT_EQ(log.substr(0, c.before.size()), c.before) << c.name;
        EXPECT_EQ(log.substr(log.size() - c.after.size()), c.after) << c.name;
        EXPECT_EQ(steadyLines(log.substr(c.before.size(), log.size() - c.before.size() - c.after.size())), report)
            << c.name;
    }

    // Far above what the survey itself keeps open.
    const Outcome closed = runReport({"-o", "/dev/fd/250", "survey", tree.path("data")});
    EXPECT_EQ(closed.status, 1);
    EXPECT_EQ(closed.err, "mezu-report: /dev/fd/250: descriptor 250 is not open\n");
}

// Past the file size limit (ulimit -f) the save fails like any write, leaving the old file and
// no temporary one, instead of the signal ending the program.
TEST(MezuReportEndToEnd, AReportPastTheFileSizeLimitIsAFailedSave)
{
    constexpr rlim_t kLimit = 8192;
    mezu::test::TempTree tree;
    for (int i = 0; i < 300; ++i) {
        tree.dir("data/directory-" + std::to_string(i));
    }
    tree.dir("out");
    const std::string kept = tree.path("out/MEZU.TXT");
    std::ofstream{kept} << "precious";
    const auto limited = [] {
        const rlimit limit{kLimit, kLimit};
        return ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
    };
    for (const std::string& target : {kept, tree.path("out/NEW.TXT"), std::string{"/dev/stdout"}}) {
        const Outcome run =
            runReport({"-o", target, "--drive", "C=" + tree.root(), "survey", tree.path("data")}, ".", limited);
        EXPECT_EQ(run.status, 1) << target;
        EXPECT_EQ(run.err, "mezu-report: " + target + ": File too large\n");
    }
    EXPECT_EQ(fileContents(kept), "precious");
    std::vector<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator{tree.path("out")}) {
        left.push_back(entry.path().filename());
    }
    EXPECT_EQ(left, std::vector<std::string>{"MEZU.TXT"});
}

// However little memory there is, a run either prints the whole report (the very one it prints
// with plenty) or says "out of memory" and nothing else: never part of a report as if whole,
// never an abort. The limits swept begin at the smallest address space the program starts in.
TEST(MezuReportEndToEnd, OutOfMemoryEndsWithOneLineNeverAPartialReport)
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "a sanitizer reserves more address space than any limit would leave";
#endif
    constexpr rlim_t kMebibyte = 1 << 20;
    constexpr rlim_t kStep = kMebibyte;
    constexpr rlim_t kMost = 512 * kMebibyte;  // for the start
    constexpr rlim_t kSwept = 48 * kMebibyte;  // past where every thread's stack fits
    mezu::test::TempTree tree;
    for (int i = 0; i < 60; ++i) {
        for (int j = 0; j < 20; ++j) {
            tree.dir("data/d" + std::to_string(i) + "/e" + std::to_string(j));
            tree.file("data/d" + std::to_string(i) + "/e" + std::to_string(j) + "/f", 1);
        }
    }
    const auto within = [](rlim_t bytes) {
        return [bytes] {
            const rlimit limit{bytes, bytes};
            return ::setrlimit(RLIMIT_AS, &limit) == 0;
        };
    };
    rlim_t low = kMebibyte;
    rlim_t high = kMost;
    while (high - low > kMebibyte / 4) {
        const rlim_t middle = low + (high - low) / 2;
        (runReport({"--version"}, ".", within(middle)).status == 0 ? high : low) = middle;
    }
    const std::vector<std::string> survey{"--drive", "C=" + tree.root(), "survey", tree.path("data")};
    const auto withThreads = [&](const char* threads) {
        std::vector<std::string> args{"--threads", threads};
        args.insert(args.end(), survey.begin(), survey.end());
        return args;
    };
    const Outcome plenty = runReport(withThreads("1"));
    ASSERT_EQ(plenty.status, 0) << plenty.err;
    const auto expected = resultBytes(plenty.out);
    ASSERT_EQ(expected.size(), 61u);

    const std::string saved = tree.path("MEZU.TXT");
    int outOfMemory = 0;
    int whole = 0;
    for (rlim_t limit = high; limit <= high + kSwept; limit += kStep) {
        std::ofstream{saved} << "precious";
        for (const std::vector<std::string>& args : {withThreads("1"), withThreads("4"), [&] {
                                                         std::vector<std::string> toFile{"-o", saved};
                                                         toFile.insert(toFile.end(), survey.begin(), survey.end());
                                                         return toFile;
                                                     }()}) {
            const Outcome run = runReport(args, ".", within(limit));
            const std::string where = "ulimit -v " + std::to_string(limit / 1024) + ": " + quoted(args);
            if (run.status == 0) {
                ++whole;
                EXPECT_EQ(run.err, "") << where;
                std::string report = args[0] == "-o" ? fileContents(saved) : run.out;
                std::erase(report, '\r');
                EXPECT_EQ(resultBytes(report), expected) << where;
                continue;
            }
            ++outOfMemory;
            EXPECT_EQ(run.status, 1) << where;
            EXPECT_EQ(run.err, "mezu-report: out of memory\n") << where;
            EXPECT_EQ(run.out, "") << where;
            EXPECT_EQ(fileContents(saved), "precious") << where;
        }
    }
    EXPECT_GT(whole, 0) << "no run had enough memory";
    EXPECT_GT(outOfMemory, 0) << "every run had enough memory";
    std::vector<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator{tree.root()}) {
        left.push_back(entry.path().filename());
    }
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"MEZU.TXT", "data"})) << "no temporary file is left behind";
}

}  // namespace
