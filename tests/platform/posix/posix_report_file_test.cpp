// SPDX-License-Identifier: MIT
// The Shift_JIS encoder over iconv and the all-or-nothing report file writer.
#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <pthread.h>
#include <unistd.h>

#include <csignal>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <sstream>

#include "platform/posix/posix_file_writer.h"
#include "platform/posix/posix_text_encoder.h"
#include "platform/posix/posix_report_file_reader.h"
#include "temp_tree.h"

namespace mezu::posix {
namespace {

std::string contents(const std::string& path)
{
    std::ifstream in{path, std::ios::binary};
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> entryNames(const std::string& directoryPath)
{
    std::vector<std::string> names;
    if (DIR* directory = ::opendir(directoryPath.c_str())) {
        while (const dirent* entry = ::readdir(directory)) {
            if (std::string_view{entry->d_name} != "." && std::string_view{entry->d_name} != "..") {
                names.emplace_back(entry->d_name);
            }
        }
        ::closedir(directory);
    }
    std::sort(names.begin(), names.end());
    return names;
}

constexpr uid_t kNobody = 65534;
constexpr gid_t kNoGroup = 65534;
constexpr char kChildFailed[] = "the child could not run";

// Runs `save` in a child process that has given up root for the user nobody, and returns the
// error it reports ("" on success).
std::string runAsNobody(const std::function<std::string()>& save)
{
    int channel[2];
    if (::pipe(channel) != 0) {
        return kChildFailed;
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        std::string result = kChildFailed;
        if (::setgroups(0, nullptr) == 0 && ::setgid(kNoGroup) == 0 && ::setuid(kNobody) == 0) {
            result = save();
        }
        const ssize_t sent = ::write(channel[1], result.data(), result.size());
        ::_exit(sent == static_cast<ssize_t>(result.size()) ? 0 : 1);
    }
    ::close(channel[1]);
    std::string result;
    char buffer[256];
    for (ssize_t n; (n = ::read(channel[0], buffer, sizeof buffer)) > 0;) {
        result.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return result;
}

// A tree whose folders the user nobody may enter.
struct SharedTree {
    SharedTree() { ::chmod(tree.root().c_str(), 0755); }
    test::TempTree tree;
};

std::string saveAndReport(const std::string& path, const std::string& bytes,
                          AtomicFileWriter::Temporary temporary = AtomicFileWriter::Temporary::UnnamedWherePossible)
{
    AtomicFileWriter writer{temporary};
    std::string error;
    return writer.replaceFile(path, bytes, error) ? std::string{} : error;
}

constexpr AtomicFileWriter::Temporary kTemporaries[] = {AtomicFileWriter::Temporary::UnnamedWherePossible,
                                                        AtomicFileWriter::Temporary::Named};

TEST(ShiftJisEncoderTest, FullWidthTakesTwoBytesAndHalfWidthKatakanaOne)
{
    const IconvShiftJisEncoder encoder;
    EXPECT_EQ(encoder.encode("ディレクトリ容量調査ツール　Ver 1.10"),
              "\x83\x66\x83\x42\x83\x8C\x83\x4E\x83\x67\x83\x8A\x97\x65\x97\xCA\x92\xB2\x8D\xB8\x83\x63"
              "\x81\x5B\x83\x8B\x81\x40Ver 1.10");
    EXPECT_EQ(encoder.encode("ﾃｷｽﾄﾌｧｲﾙ"), "\xC3\xB7\xBD\xC4\xCC\xA7\xB2\xD9");
    EXPECT_EQ(encoder.encode("実施日時：1998年10月23日(金)－14時05分09秒"),
              "\x8E\xC0\x8E\x7B\x93\xFA\x8E\x9E\x81\x46"
              "1998\x94\x4E"
              "10\x8C\x8E"
              "23\x93\xFA(\x8B\xE0)"
              "\x81\x7C"
              "14\x8E\x9E"
              "05\x95\xAA"
              "09\x95\x62");
    EXPECT_EQ(encoder.encode("C:\\DATA 以下のディレクトリ数： 12"),
              "C:\\DATA \x88\xC8\x89\xBA\x82\xCC\x83\x66\x83\x42\x83\x8C\x83\x4E\x83\x67\x83\x8A\x90\x94"
              "\x81\x46 12");
    EXPECT_EQ(encoder.encode(" "), " ");
    EXPECT_EQ(encoder.encode(""), "");
}

TEST(ShiftJisEncoderTest, WhatHasNoShiftJisFormBecomesAQuestionMark)
{
    const IconvShiftJisEncoder encoder;
    EXPECT_EQ(encoder.encode("caf\xC3\xA9!"), "caf?!") << "é";
    EXPECT_EQ(encoder.encode("a\xF0\x9F\x98\x80z"), "a?z") << "an emoji is one character";
    EXPECT_EQ(encoder.encode("x\xFF\xFEy"), "x??y") << "bytes that are not UTF-8";
    EXPECT_EQ(encoder.encode("x\xE3\x81"), "x?") << "a sequence cut short";
    EXPECT_EQ(encoder.encode("\xE3\x81z"), "?z");
    const std::string longText(100000, 'a');
    EXPECT_EQ(encoder.encode(longText + "\xC3\xA9"), longText + "?");
}

TEST(ShiftJisEncoderTest, DecodesWhatItEncodesAndRefusesWhatIsNoShiftJis)
{
    const IconvShiftJisEncoder encoder;
    for (const std::string text : {"ディレクトリ容量調査ツール　Ver 1.10", "ﾃｷｽﾄﾌｧｲﾙ", "", "C:\\a b"}) {
        EXPECT_EQ(encoder.decode(encoder.encode(text)), text);
    }
    for (const std::string bytes : {"\x81", "\x80", "a\xff"}) {
        EXPECT_EQ(encoder.decode(bytes), std::nullopt) << "cut short, or no character";
    }
}

TEST(ReportFileReaderTest, ReadsTheBytesOfARegularFileOnly)
{
    test::TempTree tree;
    const std::string bytes = "\x93\xfa\x96\x7b\r\n\xff";
    tree.file("report.txt", 0);
    std::ofstream{tree.path("report.txt"), std::ios::binary} << bytes;
    tree.dir("directory");
    tree.fifo("fifo");
    PosixReportFileReader reader;
    std::string error;
    EXPECT_EQ(reader.readReportBytes(tree.path("report.txt"), error), bytes);
    const struct {
        const char* name;
        const char* error;
    } refused[] = {
        {"directory", "Is a directory"}, {"fifo", "not a regular file"}, {"missing", "No such file or directory"}};
    for (const auto& [name, reason] : refused) {
        EXPECT_EQ(reader.readReportBytes(tree.path(name), error), std::nullopt) << name;
        EXPECT_EQ(error, reason);
    }
}

TEST(AtomicFileWriterTest, CreatesAndReplacesWholeFiles)
{
    test::TempTree tree;
    AtomicFileWriter writer;
    std::string error;
    const std::string path = tree.path("MEZU.TXT");
    ASSERT_TRUE(writer.replaceFile(path, "first, longer content\r\n", error)) << error;
    ::chmod(path.c_str(), 0640);
    ASSERT_TRUE(writer.replaceFile(path, "second\r\n", error)) << error;
    EXPECT_EQ(contents(path), "second\r\n");
    struct stat status {};
    ASSERT_EQ(::stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0640u) << "a replaced file keeps its permissions";
    ASSERT_TRUE(writer.replaceFile(path, "", error));
    EXPECT_EQ(contents(path), "");
    ASSERT_EQ(::stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_size, 0);
}

TEST(AtomicFileWriterTest, AFailedWriteLeavesTheOldFileAndNoLitter)
{
    for (const AtomicFileWriter::Temporary temporary : kTemporaries) {
        test::TempTree tree;
        AtomicFileWriter writer{temporary};
        std::string error;
        tree.dir("sub");
        const std::string kept = tree.path("sub/KEPT.TXT");
        ASSERT_TRUE(writer.replaceFile(kept, "precious\r\n", error));

        EXPECT_FALSE(writer.replaceFile(tree.path("missing/dir/MEZU.TXT"), "x", error));
        EXPECT_EQ(error, "No such file or directory");
        EXPECT_FALSE(writer.replaceFile(tree.path("sub"), "x", error));
        EXPECT_EQ(error, "Is a directory");

        // A disk that fills up part-way: the process may not write files past 64 KiB. The
        // signal the kernel sends for it, which would end the process, is the writer's to keep
        // off: the write is to fail and be reported.
        struct rlimit saved {};
        ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
        struct rlimit small = saved;
        small.rlim_cur = 64 * 1024;
        ASSERT_EQ(std::signal(SIGXFSZ, SIG_DFL), SIG_DFL);
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
        const bool replaced = writer.replaceFile(kept, std::string(200 * 1024, 'x'), error);
        const bool created = writer.replaceFile(tree.path("sub/NEW.TXT"), std::string(200 * 1024, 'x'), error);
        ::setrlimit(RLIMIT_FSIZE, &saved);

        EXPECT_FALSE(replaced);
        EXPECT_FALSE(created);
        EXPECT_EQ(error, "File too large");
        EXPECT_EQ(std::signal(SIGXFSZ, SIG_DFL), SIG_DFL) << "the signal is back to its default after the save";
        EXPECT_EQ(contents(kept), "precious\r\n");
        EXPECT_EQ(entryNames(tree.path("sub")), std::vector<std::string>{"KEPT.TXT"})
            << "no temporary file is left behind";
    }
}

TEST(AtomicFileWriterTest, ASymbolicLinkIsFollowedAndStaysALink)
{
    struct Case {
        const char* name;
        std::vector<std::pair<std::string, std::string>> links;  // link name, its target
        const char* target;
        bool targetExists;
    };
    const std::vector<Case> cases{
        {"relative", {{"link.txt", "real.txt"}}, "real.txt", true},
        {"into another folder", {{"link.txt", "sub/real.txt"}}, "sub/real.txt", true},
        {"a chain", {{"link.txt", "middle.txt"}, {"middle.txt", "sub/real.txt"}}, "sub/real.txt", true},
        {"dangling", {{"link.txt", "sub/new.txt"}}, "sub/new.txt", false},
    };
    for (const Case& c : cases) {
        test::TempTree tree;
        tree.dir("sub");
        if (c.targetExists) {
            std::ofstream{tree.path(c.target)} << "old";
        }
        for (const auto& [link, target] : c.links) {
            tree.symlink(target, link);
        }
        EXPECT_EQ(saveAndReport(tree.path("link.txt"), "report\r\n"), "") << c.name;
        EXPECT_EQ(contents(tree.path(c.target)), "report\r\n") << c.name;
        for (const auto& [link, target] : c.links) {
            struct stat status {};
            ASSERT_EQ(::lstat(tree.path(link).c_str(), &status), 0) << c.name;
            EXPECT_TRUE(S_ISLNK(status.st_mode)) << c.name << ": " << link << " stays a link";
        }
    }
    test::TempTree tree;
    tree.symlink("loop.txt", "loop.txt");
    EXPECT_EQ(saveAndReport(tree.path("loop.txt"), "x"), "Too many levels of symbolic links");
}

TEST(AtomicFileWriterTest, DevicesAreWrittenInPlaceAndTheirErrorsReported)
{
    struct Case {
        const char* name;
        unsigned major;
        unsigned minor;
        const char* error;
    };
    constexpr unsigned kMemoryDevices = 1;
    for (const Case c :
         {Case{"null", kMemoryDevices, 3, ""}, Case{"full", kMemoryDevices, 7, "No space left on device"}}) {
        test::TempTree tree;
        const std::string node = tree.path(c.name);
        if (::mknod(node.c_str(), S_IFCHR | 0666, ::makedev(c.major, c.minor)) != 0) {
            GTEST_SKIP() << "cannot make a device node here";
        }
        EXPECT_EQ(saveAndReport(node, "report\r\n"), c.error) << c.name;
        struct stat status {};
        ASSERT_EQ(::lstat(node.c_str(), &status), 0);
        EXPECT_TRUE(S_ISCHR(status.st_mode)) << c.name << " is still the device";
        EXPECT_EQ(entryNames(tree.root()), std::vector<std::string>{c.name});
    }
}

// The names of one of the process's own descriptors: written through it, at its position or
// at the end for one that appends, so that what came before and comes after stays in order.
TEST(AtomicFileWriterTest, OwnDescriptorsAreWrittenWhereTheyStandNeverTruncated)
{
    const std::vector<std::pair<const char*, std::function<std::string(int)>>> names{
        {"/dev/fd", [](int fd) { return "/dev/fd/" + std::to_string(fd); }},
        {"/proc/self/fd", [](int fd) { return "/proc/self/fd/" + std::to_string(fd); }},
        {"/proc/PID/fd", [](int fd) { return "/proc/" + std::to_string(::getpid()) + "/fd/" + std::to_string(fd); }},
        {"/proc/thread-self/fd", [](int fd) { return "/proc/thread-self/fd/" + std::to_string(fd); }},
    };
    const std::string head = "HEAD\n";
    const std::string tail(1000, 't');
    for (const auto& [kind, name] : names) {
        for (const bool appending : {false, true}) {
            test::TempTree tree;
            const std::string log = tree.path("log.txt");
            std::ofstream{log} << head << tail;
            const int fd = ::open(log.c_str(), O_WRONLY | (appending ? O_APPEND : 0));
            ASSERT_GE(fd, 0);
            ASSERT_EQ(::lseek(fd, static_cast<off_t>(head.size()), SEEK_SET), static_cast<off_t>(head.size()));
            tree.symlink(name(fd), "link.txt");
            const std::string where = std::string{kind} + (appending ? ", appending" : "");
            EXPECT_EQ(saveAndReport(name(fd), "report\r\n"), "") << where;
            EXPECT_EQ(saveAndReport(tree.path("link.txt"), "linked\r\n"), "") << where << ", through a link";
            ASSERT_EQ(::write(fd, "F", 1), 1);
            ::close(fd);
            const std::string reports = "report\r\nlinked\r\nF";
            EXPECT_EQ(contents(log), appending ? head + tail + reports : head + reports + tail.substr(reports.size()))
                << where;
            EXPECT_EQ(entryNames(tree.root()), (std::vector<std::string>{"link.txt", "log.txt"})) << where;
        }
    }

    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    EXPECT_EQ(saveAndReport("/dev/fd/" + std::to_string(pipeEnds[1]), "piped\r\n"), "");
    EXPECT_EQ(saveAndReport("/dev/fd/" + std::to_string(pipeEnds[0]), "x"),
              "descriptor " + std::to_string(pipeEnds[0]) + " is not open for writing");
    ::close(pipeEnds[1]);
    char received[64] = {};
    EXPECT_EQ(std::string(received, static_cast<std::size_t>(
                                        std::max<ssize_t>(0, ::read(pipeEnds[0], received, sizeof received)))),
              "piped\r\n");
    ::close(pipeEnds[0]);
    EXPECT_EQ(saveAndReport("/dev/fd/" + std::to_string(pipeEnds[1]), "x"),
              "descriptor " + std::to_string(pipeEnds[1]) + " is not open");
}

TEST(AtomicFileWriterTest, AFifoIsWrittenInPlace)
{
    test::TempTree tree;
    if (!tree.fifo("pipe")) {
        GTEST_SKIP() << "cannot make a FIFO here";
    }
    const std::string fifo = tree.path("pipe");
    // The reading end is open before the save, and the report fits the pipe's buffer, so the
    // save needs no one reading meanwhile; were the FIFO replaced, nothing would arrive here.
    const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    const std::string report(1000, 'r');
    EXPECT_EQ(saveAndReport(fifo, report), "");
    std::string received(2 * report.size(), '\0');
    const ssize_t n = ::read(reader, received.data(), received.size());
    ::close(reader);
    received.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
    EXPECT_EQ(received, report);
    struct stat status {};
    ASSERT_EQ(::lstat(fifo.c_str(), &status), 0);
    EXPECT_TRUE(S_ISFIFO(status.st_mode));
}

TEST(AtomicFileWriterTest, WriteProtectionIsRespected)
{
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to own the files and to drop to the user nobody";
    }
    struct Case {
        const char* name;
        mode_t folderMode;
        mode_t fileMode;
        bool asNobody;
        const char* error;
    };
    const std::vector<Case> cases{
        {"no one may write it, root saves", 0755, 0444, false, "Permission denied"},
        {"root's file in a shared folder, nobody saves", 0777, 0644, true, "Permission denied"},
        {"a writable file in a folder only root may write, nobody saves", 0755, 0666, true, ""},
        {"a writable file in a shared folder", 0777, 0666, true, ""},
    };
    for (const Case& c : cases) {
        SharedTree shared;
        shared.tree.dir("folder");
        const std::string file = shared.tree.path("folder/MEZU.TXT");
        std::ofstream{file} << "precious";
        ::chmod(file.c_str(), c.fileMode);
        ::chmod(shared.tree.path("folder").c_str(), c.folderMode);
        struct stat before {};
        ASSERT_EQ(::stat(file.c_str(), &before), 0);
        const auto reachable = [&] { return std::string{::access(file.c_str(), F_OK) == 0 ? "" : "unreachable"}; };
        if (c.asNobody && !runAsNobody(reachable).empty()) {
            GTEST_SKIP() << "the user nobody cannot reach the temporary folder " << shared.tree.root();
        }
        const auto save = [&] { return saveAndReport(file, "report"); };
        EXPECT_EQ(c.asNobody ? runAsNobody(save) : save(), c.error) << c.name;
        EXPECT_EQ(contents(file), *c.error == '\0' ? "report" : "precious") << c.name;
        struct stat after {};
        ASSERT_EQ(::stat(file.c_str(), &after), 0);
        EXPECT_EQ(after.st_mode, before.st_mode) << c.name;
        EXPECT_EQ(after.st_uid, before.st_uid) << c.name;
        EXPECT_EQ(entryNames(shared.tree.path("folder")), std::vector<std::string>{"MEZU.TXT"}) << c.name;
    }
}

TEST(AtomicFileWriterTest, AReplacedFileKeepsItsOwner)
{
    if (::geteuid() != 0) {
        GTEST_SKIP() << "needs root to give a file to another user";
    }
    test::TempTree tree;
    const std::string file = tree.path("MEZU.TXT");
    std::ofstream{file} << "old";
    ASSERT_EQ(::chown(file.c_str(), kNobody, kNoGroup), 0);
    ASSERT_EQ(::chmod(file.c_str(), 0640), 0);
    EXPECT_EQ(saveAndReport(file, "report"), "");
    struct stat status {};
    ASSERT_EQ(::stat(file.c_str(), &status), 0);
    EXPECT_EQ(contents(file), "report");
    EXPECT_EQ(status.st_uid, kNobody);
    EXPECT_EQ(status.st_gid, kNoGroup);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
}

constexpr int kNoNotification = 2;

// Saves a report over `file` in a child that the kernel sends `signal` at the first `event` in
// the file's folder (DN_CREATE: a name appears; DN_MODIFY: a file there is written), and
// returns the child's wait status.
int saveMeetingSignal(const std::string& file, AtomicFileWriter::Temporary temporary, unsigned long event, int signal)
{
    const pid_t child = ::fork();
    if (child == 0) {
        const struct rlimit noCore {
            0, 0
        };
        ::setrlimit(RLIMIT_CORE, &noCore);
        const int folder = ::open(file.substr(0, file.rfind('/')).c_str(), O_RDONLY | O_DIRECTORY);
        if (folder < 0 || ::fcntl(folder, F_SETSIG, signal) != 0 || ::fcntl(folder, F_NOTIFY, event) != 0) {
            ::_exit(kNoNotification);
        }
        ::_exit(saveAndReport(file, std::string(1 << 20, 'x'), temporary).empty() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return status;
}

// Every signal that ends the process by default, while the report is being written to its
// temporary file and as that file is given a name, whichever kind of temporary file it is.
TEST(AtomicFileWriterTest, ASignalDuringASaveLeavesTheTargetAndNoTemporaryFile)
{
    const std::vector<int> signals{SIGINT,  SIGTERM,   SIGHUP,  SIGQUIT, SIGPIPE, SIGALRM, SIGUSR1,  SIGUSR2, SIGABRT,
                                   SIGXCPU, SIGVTALRM, SIGPROF, SIGIO,   SIGPWR,  SIGSYS,  SIGRTMIN, SIGRTMAX};
    for (const AtomicFileWriter::Temporary temporary : kTemporaries) {
        for (const unsigned long event :
             {static_cast<unsigned long>(DN_CREATE), static_cast<unsigned long>(DN_MODIFY)}) {
            for (const int signal : signals) {
                test::TempTree tree;
                const std::string file = tree.path("MEZU.TXT");
                std::ofstream{file} << "precious";
                const int status = saveMeetingSignal(file, temporary, event, signal);
                if (WIFEXITED(status) && WEXITSTATUS(status) == kNoNotification) {
                    GTEST_SKIP() << "folder notification (F_NOTIFY) is not available here";
                }
                const std::string where = std::string{strsignal(signal)} +
                                          (event == DN_CREATE ? ", at a name" : ", writing") +
                                          (temporary == AtomicFileWriter::Temporary::Named ? ", named" : ", unnamed");
                EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal)
                    << where << ": the signal still ends the process; status " << status;
                EXPECT_EQ(contents(file), "precious") << where;
                EXPECT_EQ(entryNames(tree.root()), std::vector<std::string>{"MEZU.TXT"}) << where;
            }
        }
    }
}

// No handler runs for SIGKILL: the report is written to a file without a name, which the
// kernel removes with the process.
TEST(AtomicFileWriterTest, EvenSigkillWhileWritingLeavesNoTemporaryFile)
{
    for (const bool existing : {true, false}) {
        test::TempTree tree;
        if (const int unnamed = ::open(tree.root().c_str(), O_TMPFILE | O_WRONLY, 0600); unnamed >= 0) {
            ::close(unnamed);
        } else {
            GTEST_SKIP() << "the file system of " << tree.root() << " has no files without a name";
        }
        const std::string file = tree.path("MEZU.TXT");
        if (existing) {
            std::ofstream{file} << "precious";
        }
        const int status =
            saveMeetingSignal(file, AtomicFileWriter::Temporary::UnnamedWherePossible, DN_MODIFY, SIGKILL);
        if (WIFEXITED(status) && WEXITSTATUS(status) == kNoNotification) {
            GTEST_SKIP() << "folder notification (F_NOTIFY) is not available here";
        }
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "status " << status;
        EXPECT_EQ(entryNames(tree.root()),
                  existing ? std::vector<std::string>{"MEZU.TXT"} : std::vector<std::string>{});
        if (existing) {
            EXPECT_EQ(contents(file), "precious");
        }
    }
}

void countSignal(int) {}

TEST(AtomicFileWriterTest, ASaveLeavesTheSignalHandlersAsItFoundThem)
{
    struct sigaction counting {};
    counting.sa_handler = countSignal;
    struct sigaction ignoring {};
    ignoring.sa_handler = SIG_IGN;
    struct sigaction savedInt {};
    struct sigaction savedTerm {};
    ASSERT_EQ(::sigaction(SIGINT, &counting, &savedInt), 0);
    ASSERT_EQ(::sigaction(SIGTERM, &ignoring, &savedTerm), 0);
    test::TempTree tree;
    const std::string saved = saveAndReport(tree.path("MEZU.TXT"), "report");
    struct sigaction afterInt {};
    struct sigaction afterTerm {};
    ::sigaction(SIGINT, &savedInt, &afterInt);
    ::sigaction(SIGTERM, &savedTerm, &afterTerm);
    EXPECT_EQ(saved, "");
    EXPECT_EQ(afterInt.sa_handler, countSignal);
    EXPECT_EQ(afterTerm.sa_handler, SIG_IGN);
    for (const int signal : {SIGQUIT, SIGUSR1, SIGXFSZ, SIGRTMIN}) {
        struct sigaction after {};
        ::sigaction(signal, nullptr, &after);
        EXPECT_EQ(after.sa_handler, SIG_DFL) << strsignal(signal);
    }
    sigset_t blocked;
    ::pthread_sigmask(SIG_SETMASK, nullptr, &blocked);
    EXPECT_EQ(::sigismember(&blocked, SIGINT), 0) << "no signal is held back after the save";
}

TEST(AtomicFileWriterTest, NamesUpToTheLongestAFolderAllowsAreSaved)
{
    for (const std::size_t length : {std::size_t{250}, std::size_t{255}}) {
        test::TempTree tree;
        const std::string file = tree.path(std::string(length - 4, 'n') + ".TXT");
        EXPECT_EQ(saveAndReport(file, "first"), "") << length;
        EXPECT_EQ(saveAndReport(file, "second"), "") << length;
        EXPECT_EQ(contents(file), "second") << length;
        EXPECT_EQ(entryNames(tree.root()).size(), 1u) << length;
    }
    test::TempTree tree;
    EXPECT_EQ(saveAndReport(tree.path(std::string(256, 'n')), "x"), "File name too long");
}

TEST(AtomicFileWriterTest, AFileThatCannotBeWrittenIsNamedForItsRealReason)
{
    struct stat status {};
    if (::stat("/proc/version", &status) != 0) {
        GTEST_SKIP() << "no /proc here";
    }
    EXPECT_EQ(saveAndReport("/proc/version", "x"), "Permission denied");
}

}  // namespace
}  // namespace mezu::posix
