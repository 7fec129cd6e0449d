// The Shift_JIS encoder over iconv and the all-or-nothing report file writer.
#include <dirent.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "platform/posix/atomic_file_writer.h"
#include "platform/posix/iconv_encoder.h"
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

TEST(ShiftJisEncoderTest, FullWidthTakesTwoBytesAndHalfWidthKatakanaOne)
{
    const IconvShiftJisEncoder encoder;
    EXPECT_EQ(encoder.encode("ディレクトリ容量調査ツール　Ver 1.10"),
              "\x83\x66\x83\x42\x83\x8C\x83\x4E\x83\x67\x83\x8A\x97\x65\x97\xCA\x92\xB2\x8D\xB8\x83\x63"
              "\x81\x5B\x83\x8B\x81\x40Ver 1.10");
    EXPECT_EQ(encoder.encode("ﾃｷｽﾄﾌｧｲﾙ"), "\xC3\xB7\xBD\xC4\xCC\xA7\xB2\xD9");
    EXPECT_EQ(encoder.encode("実施日時：1998年10月23日(金)－14時05分09秒"),
              "\x8E\xC0\x8E\x7B\x93\xFA\x8E\x9E\x81\x46" "1998\x94\x4E" "10\x8C\x8E" "23\x93\xFA(\x8B\xE0)"
              "\x81\x7C" "14\x8E\x9E" "05\x95\xAA" "09\x95\x62");
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
    test::TempTree tree;
    AtomicFileWriter writer;
    std::string error;
    tree.dir("sub");
    const std::string kept = tree.path("sub/KEPT.TXT");
    ASSERT_TRUE(writer.replaceFile(kept, "precious\r\n", error));

    EXPECT_FALSE(writer.replaceFile(tree.path("missing/dir/MEZU.TXT"), "x", error));
    EXPECT_EQ(error, "No such file or directory");
    EXPECT_FALSE(writer.replaceFile(tree.path("sub"), "x", error));
    EXPECT_EQ(error, "Is a directory");

    // A disk that fills up part-way: the process may not write files past 64 KiB.
    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    struct rlimit small = saved;
    small.rlim_cur = 64 * 1024;
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool replaced = writer.replaceFile(kept, std::string(200 * 1024, 'x'), error);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(replaced);
    EXPECT_EQ(error, "File too large");
    EXPECT_EQ(contents(kept), "precious\r\n");
    std::vector<std::string> names;
    if (DIR* directory = ::opendir(tree.path("sub").c_str())) {
        while (const dirent* entry = ::readdir(directory)) {
            if (entry->d_name[0] != '.') {
                names.emplace_back(entry->d_name);
            }
        }
        ::closedir(directory);
    }
    EXPECT_EQ(names, std::vector<std::string>{"KEPT.TXT"}) << "no temporary file is left behind";
}

}  // namespace
}  // namespace mezu::posix
